#include "KodraProgress.h"

#include <charconv>

namespace {

constexpr size_t kMaxLine = 4096;

// A whole decimal with an optional "-"; "N/A" and the like fail.
bool ReadInt64(std::string_view text, int64_t& value) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// "2.0", "-1.0", "31" into tenths; digits after the first decimal are cut.
bool ReadTenths(std::string_view text, int& tenths) {
    bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    size_t dot = text.find('.');
    std::string_view whole = text.substr(0, dot);
    int64_t w = 0;
    if (whole.empty() || whole[0] < '0' || whole[0] > '9' || !ReadInt64(whole, w) || w > 100000)
        return false;
    int digit = 0;
    if (dot != std::string_view::npos) {
        std::string_view rest = text.substr(dot + 1);
        if (!rest.empty()) {
            if (rest[0] < '0' || rest[0] > '9') return false;
            digit = rest[0] - '0';
        }
    }
    tenths = static_cast<int>(w * 10 + digit) * (negative ? -1 : 1);
    return true;
}

void AppendInt(std::string& out, int64_t v, size_t width = 0) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    size_t len = static_cast<size_t>(end - buf);
    if (len < width) out.append(width - len, ' ');
    out.append(buf, len);
}

// A whole part and a fraction of fixed digits, padded on the left to width.
void AppendFixed(std::string& out, int64_t scaled, int digits, size_t width = 0) {
    int64_t unit = 1;
    for (int i = 0; i < digits; ++i) unit *= 10;
    bool negative = scaled < 0;
    if (negative) scaled = -scaled;
    std::string text = negative ? "-" : "";
    AppendInt(text, scaled / unit);
    text += '.';
    std::string fraction;
    AppendInt(fraction, unit + scaled % unit);  // leading "1" keeps the zeros
    text += fraction.substr(1);
    if (text.size() < width) out.append(width - text.size(), ' ');
    out += text;
}

}  // namespace

void TProgressReader::Feed(std::string_view bytes) {
    while (!bytes.empty()) {
        size_t nl = bytes.find('\n');
        std::string_view piece = bytes.substr(0, nl);
        if (!dropping_) {
            if (partial_.size() + piece.size() > kMaxLine) {
                dropping_ = true;
                partial_.clear();
            } else {
                partial_.append(piece);
            }
        }
        if (nl == std::string_view::npos) return;
        if (!dropping_) Line(partial_);
        partial_.clear();
        dropping_ = false;
        bytes.remove_prefix(nl + 1);
    }
}

void TProgressReader::Line(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return;
    std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    int64_t n = 0;
    if (key == "frame") {
        if (ReadInt64(value, n) && n >= 0) pending_.frame = n;
    } else if (key == "total_size") {
        if (ReadInt64(value, n) && n >= 0) pending_.totalBytes = n;
    } else if (key == "out_time_us") {
        // Negative before the first packet has a time.
        if (ReadInt64(value, n)) pending_.outTimeUs = n < 0 ? 0 : n;
    } else if (key.starts_with("stream_") && key.ends_with("_q")) {
        int tenths = 0;
        if (ReadTenths(value, tenths)) pending_.qTenths = tenths;
    } else if (key == "progress") {
        pending_.end = value == "end";
        latest_ = pending_;
        seen_ = true;
    }
}

std::string FormatProgressLine(const TProgressSnapshot& s, bool video) {
    std::string out;
    out.reserve(96);
    if (video) {
        out += "frame=";
        AppendInt(out, s.frame, 5);
        out += " q=";
        AppendFixed(out, s.qTenths, 1);
        out += ' ';
    }
    out += "size=";
    AppendInt(out, (s.totalBytes + 512) / 1024, 8);
    out += "kB time=";
    AppendFixed(out, s.outTimeUs / 10000, 2);
    out += " bitrate=";
    int64_t tenthsKbps =
        s.outTimeUs > 0 ? (s.totalBytes * 80000 + s.outTimeUs / 2) / s.outTimeUs : 0;
    AppendFixed(out, tenthsKbps, 1, 6);
    out += "kbits/s\r";
    return out;
}
