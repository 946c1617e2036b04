#include <gtest/gtest.h>

#include "Errors.h"
#include "TextConvert.h"

namespace {

TEST(TextConvert, ReadsDecimalAndHexWithOneOptionalSign) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {{"0", 0}, {"42", 42}, {"+7", 7}, {"-5", -5}, {"$1F", 31}, {"0x1F", 31},
                 {"-$10", -16}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}};
    for (const auto& c : cases) {
        int32_t v = -99;
        EXPECT_TRUE(TryStrToInt(c.text, v)) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
    }
}

TEST(TextConvert, RefusesWhatIsNoNumber) {
    for (const char* text : {"", "+", "-", "+-0", "--0", "-0x-1", " 1", "1 ", "1a", "abc", "0x",
                             "2147483648", "-2147483649", "1.5"}) {
        int32_t v = 0;
        EXPECT_FALSE(TryStrToInt(text, v)) << text;
        EXPECT_THROW(StrToInt(text), EConvertError) << text;
    }
}

}  // namespace
