#include "TextConvert.h"

#include <charconv>

#include "Errors.h"

bool TryStrToInt(const std::string& text, int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    // One sign at most: from_chars would take a second "-" itself.
    if (i >= text.size() || text[i] == '+' || text[i] == '-') return false;
    int64_t magnitude = 0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(first, last, magnitude, base);
    if (ec != std::errc() || ptr != last || magnitude < 0) return false;
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX) return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

int32_t StrToInt(const std::string& text) {
    int32_t value = 0;
    if (!TryStrToInt(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

std::string TrimControls(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 32) ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) --last;
    return text.substr(first, last - first);
}
