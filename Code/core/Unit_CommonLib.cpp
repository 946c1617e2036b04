// TCommonLib: construction and the text and time helpers.
#include "Unit_CommonLib.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <utility>

#include "Errors.h"

TCommonLib::TCommonLib(std::string appPath, TPorts& ports)
    : AppPath(std::move(appPath)), ports_(ports) {}

std::vector<std::string> TCommonLib::SplitText(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t pos = text.find(separator); pos != std::string::npos;
         pos = text.find(separator, start)) {
        pieces.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    // A separator at the end leaves nothing behind it, and no piece for it.
    if (start < text.size()) pieces.push_back(text.substr(start));
    return pieces;
}

namespace {

bool HasDigit(const std::string& text) {
    for (char c : text)
        if (c >= '0' && c <= '9') return true;
    return false;
}

// Reads [sign]digits[.digits] (either side of the point may be empty) with
// "." as the point, whatever the locale.
double ReadDecimal(const std::string& text) {
    if (!HasDigit(text)) throw EConvertError("'" + text + "' is not a valid floating point value");
    const char* first = text.data();
    const char* last = first + text.size();
    bool negative = false;
    if (*first == '+' || *first == '-') {
        negative = *first == '-';
        ++first;  // from_chars refuses "+", so both signs are taken here
    }
    double value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // No exponent can appear, so only a long run of zeros after the point
        // underflows; anything else is too large to hold.
        const std::string integerPart(first, std::find(first, last, '.'));
        if (integerPart.find_first_not_of('0') != std::string::npos)
            throw EConvertError("'" + text + "' is not a valid floating point value");
        value = 0;
    } else if (ec != std::errc() || ptr != last) {
        throw EConvertError("'" + text + "' is not a valid floating point value");
    }
    return negative ? -value : value;
}

}  // namespace

double TCommonLib::TextToNumber(const std::string& text) {
    // Blanks and control characters around the text need no trimming: the
    // walk drops every character that is not a digit, point or sign.
    std::string kept;
    bool pointAllowed = true, plusAllowed = true, minusAllowed = true;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            kept += c;
        } else if (c == '.') {
            if (pointAllowed) kept += c;
            pointAllowed = false;
        } else if (c == '+') {
            if (plusAllowed) kept += c;
            plusAllowed = false;
        } else if (c == '-') {
            if (minusAllowed) kept += c;
            minusAllowed = false;
        }
    }
    if (kept.empty() || kept == "+" || kept == "-") return 0;
    if (kept.size() == 1) return ReadDecimal(kept);
    // A sign counts only in the first place.
    std::string number(1, kept[0]);
    for (size_t i = 1; i < kept.size(); ++i)
        if (kept[i] != '+' && kept[i] != '-') number += kept[i];
    return ReadDecimal(number);
}

std::string TCommonLib::SecondsToTimeText(int64_t seconds) {
    if (seconds < 0) seconds = 0;
    // Whole seconds throughout: the same text as counting in milliseconds,
    // without overflowing for huge counts.
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds % 3600 / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

std::string TCommonLib::FormatFileSize(int64_t bytes) {
    if (bytes < 0) bytes = 0;
    constexpr int64_t kGiB = int64_t{1} << 30;
    const char* unit = " B";
    double value = static_cast<double>(bytes);
    if (bytes < kGiB) {
        static const char* const kLargerUnits[] = {" KB", " MB", " GB"};
        for (const char* larger : kLargerUnits) {
            if (value < 1024) break;
            value /= 1024;
            unit = larger;
        }
    } else {
        unit = " GB";
        value = value / 1024 / 1024 / 1024;
    }
    value = std::trunc(value * 100) / 100;  // cut, not rounded

    char digits[64];
    auto [end, ec] =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 15);
    std::string text(digits, ec == std::errc() ? end : digits);
    const std::string::size_type point = text.find('.');
    if (point != std::string::npos) {
        const char* separator = std::localeconv()->decimal_point;
        text.replace(point, 1, separator && *separator ? separator : ".");
    }
    return text + unit;
}
