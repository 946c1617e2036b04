#include <gtest/gtest.h>
#include <locale.h>

#include <clocale>
#include <cstdint>
#include <string>
#include <vector>

#include "Errors.h"
#include "Unit_CommonLib.h"

namespace {

struct SplitCase {
    std::string text;
    char separator;
    std::vector<std::string> pieces;
};

TEST(TextHelpersSplitText, CutsAtEverySeparatorButDropsATrailingEmptyPiece) {
    const SplitCase cases[] = {
        {"01:02:05", ':', {"01", "02", "05"}},
        {"a::b", ':', {"a", "", "b"}},
        {":a", ':', {"", "a"}},
        {"a:", ':', {"a"}},
        {":", ':', {""}},
        {"::", ':', {"", ""}},
        {"", ':', {}},
        {"abc", ':', {"abc"}},
        {"none|none|none|2|0|0", '|', {"none", "none", "none", "2", "0", "0"}},
        {"time=45.60", '=', {"time", "45.60"}},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(TCommonLib::SplitText(c.text, c.separator), c.pieces) << "text: " << c.text;
}

struct NumberCase {
    std::string text;
    double value;
};

TEST(TextHelpersTextToNumber, KeepsDigitsOnePointAndALeadingSign) {
    const NumberCase cases[] = {
        {"12", 12},
        {" \t12.5 kB \r\n", 12.5},
        {"-3", -3},
        {"+5", 5},  // a leading plus is allowed
        {"+12.5", 12.5},
        {"1-2", 12},  // a sign counts only in the first place
        {"3-", 3},
        {"--5", -5},  // the second minus is no longer allowed
        {"1.2.3", 1.23},
        {"00:05:00", 500},
        {".5", 0.5},
        {"5.", 5},
        {"-.5", -0.5},
        {"7", 7},
        {"1e5", 15},  // no exponent: the letter is dropped
        {"\x01\x7f 8 \xc3\xa9", 8},
        {"", 0},
        {"+", 0},
        {"-", 0},
        {"abc", 0},
        {"0." + std::string(400, '0') + "1", 0},  // below what a double holds
    };
    for (const NumberCase& c : cases)
        EXPECT_DOUBLE_EQ(TCommonLib::TextToNumber(c.text), c.value) << "text: " << c.text;
}

TEST(TextHelpersTextToNumber, ThrowsConvertErrorWhenNoDigitIsLeft) {
    for (const std::string text : {".", "x.y", "+.", "-.", "+-", "-+.", "a.b+"})
        EXPECT_THROW(TCommonLib::TextToNumber(text), EConvertError) << "text: " << text;
}

TEST(TextHelpersTextToNumber, ThrowsRatherThanReturnInfinityForAHugeNumber) {
    EXPECT_THROW(TCommonLib::TextToNumber("1" + std::string(400, '0')), EConvertError);
}

TEST(TextHelpersSecondsToTimeText, PadsToTwoDigitsAndKeepsLongHours) {
    const std::pair<int64_t, std::string> cases[] = {
        {0, "00:00:00"},    {59, "00:00:59"},
        {60, "00:01:00"},   {95, "00:01:35"},
        {3599, "00:59:59"}, {3600, "01:00:00"},
        {3725, "01:02:05"}, {100 * 3600, "100:00:00"},
        {-5, "00:00:00"},   {INT64_MAX, "2562047788015215:30:07"},  // no overflow on the way
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(TCommonLib::SecondsToTimeText(seconds), text) << "seconds: " << seconds;
}

TEST(TextHelpersFormatFileSize, CutsToTwoDecimalsInTheLargestFittingUnit) {
    constexpr int64_t kGiB = int64_t{1} << 30;
    const std::pair<int64_t, std::string> cases[] = {
        {0, "0 B"},
        {-1, "0 B"},
        {500, "500 B"},
        {1023, "1023 B"},
        {1024, "1 KB"},
        {1536, "1.5 KB"},
        {1150, "1.12 KB"},        // 1.123..., cut
        {1048575, "1023.99 KB"},  // 1023.999..., cut rather than rounded to 1024
        {1048576, "1 MB"},
        {kGiB - 1, "1023.99 MB"},
        {kGiB, "1 GB"},
        {kGiB * 11 / 2, "5.5 GB"},
        {kGiB * 2048, "2048 GB"},  // no larger unit
        {INT64_MAX, "8589934592 GB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(TCommonLib::FormatFileSize(bytes), text) << "bytes: " << bytes;
}

// Restores the C numeric locale however the test ends.
struct NumericLocaleGuard {
    ~NumericLocaleGuard() { std::setlocale(LC_NUMERIC, "C"); }
};

TEST(TextHelpersFormatFileSize, UsesTheLocaleDecimalSeparator) {
    std::string commaLocale;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8",
                             "ru_RU.UTF-8", "de_DE", "fr_FR"}) {
        if (locale_t probe = newlocale(LC_NUMERIC_MASK, name, nullptr)) {
            freelocale(probe);
            commaLocale = name;
            break;
        }
    }
    if (commaLocale.empty()) GTEST_SKIP() << "no locale with a decimal comma is installed";

    NumericLocaleGuard guard;
    ASSERT_NE(std::setlocale(LC_NUMERIC, commaLocale.c_str()), nullptr);
    EXPECT_EQ(TCommonLib::FormatFileSize(1536), "1,5 KB");
    EXPECT_EQ(TCommonLib::FormatFileSize(1024), "1 KB");
    // Reading stays locale-independent.
    EXPECT_DOUBLE_EQ(TCommonLib::TextToNumber("12.5"), 12.5);
}

}  // namespace
