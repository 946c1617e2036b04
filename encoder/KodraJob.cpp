#include "KodraJob.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

namespace {

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Unsigned decimal integer within [lowest, highest]; no sign, no blanks.
bool ReadInt(std::string_view text, int lowest, int highest, int& value) {
    if (!AllDigits(text)) return false;
    int64_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    if (v < lowest || v > highest) return false;
    value = static_cast<int>(v);
    return true;
}

// digits with an optional "." and fraction digits ("25", "14.985").
bool IsDecimal(std::string_view text) {
    size_t dot = text.find('.');
    if (dot == std::string_view::npos) return AllDigits(text);
    return AllDigits(text.substr(0, dot)) && AllDigits(text.substr(dot + 1));
}

bool HasNonZeroDigit(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; });
}

// A positive rate or ratio: "25", "14.985", or "a<sep>b" with whole numbers.
bool IsPositiveRatio(std::string_view text, char sep) {
    size_t at = text.find(sep);
    if (at != std::string_view::npos) {
        std::string_view a = text.substr(0, at), b = text.substr(at + 1);
        int x = 0, y = 0;
        return ReadInt(a, 1, 1000000, x) && ReadInt(b, 1, 1000000, y);
    }
    return text.size() <= 16 && IsDecimal(text) && HasNonZeroDigit(text);
}

bool IsFrameSize(std::string_view text) {
    size_t at = text.find('x');
    if (at == std::string_view::npos) return false;
    int w = 0, h = 0;
    return ReadInt(text.substr(0, at), 1, 16384, w) && ReadInt(text.substr(at + 1), 1, 16384, h);
}

bool IsFormatName(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_';
    });
}

// Seconds with an optional fraction into milliseconds; the fraction is cut
// after three digits.
bool ReadSeconds(std::string_view text, int64_t& ms) {
    if (!IsDecimal(text)) return false;
    size_t dot = text.find('.');
    std::string_view whole = text.substr(0, dot);
    if (whole.size() > 12) return false;
    int64_t seconds = 0;
    std::from_chars(whole.data(), whole.data() + whole.size(), seconds);
    int64_t fraction = 0;
    if (dot != std::string_view::npos) {
        std::string_view digits = text.substr(dot + 1);
        for (size_t i = 0; i < 3; ++i)
            fraction = fraction * 10 + (i < digits.size() ? digits[i] - '0' : 0);
    }
    ms = seconds * 1000 + fraction;
    return true;
}

std::string ToText(int64_t v) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, end);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

enum class Opt {
    Overwrite,
    Input,
    VideoCodec,
    AudioCodec,
    NoVideo,
    VideoBitrate,
    Size,
    Rate,
    Aspect,
    AudioBitrate,
    Volume,
    Channels,
    SampleRate,
    Format,
    Start,
    Length
};

struct TOptionDef {
    std::string_view name;
    Opt opt;
    bool takesValue;
};

constexpr TOptionDef kOptions[] = {
    {"-y", Opt::Overwrite, false},
    {"-i", Opt::Input, true},
    {"-vcodec", Opt::VideoCodec, true},
    {"-acodec", Opt::AudioCodec, true},
    {"-vn", Opt::NoVideo, false},
    {"-b", Opt::VideoBitrate, true},
    {"-s", Opt::Size, true},
    {"-r", Opt::Rate, true},
    {"-aspect", Opt::Aspect, true},
    {"-ab", Opt::AudioBitrate, true},
    {"-vol", Opt::Volume, true},
    {"-ac", Opt::Channels, true},
    {"-ar", Opt::SampleRate, true},
    {"-f", Opt::Format, true},
    {"-ss", Opt::Start, true},
    {"-t", Opt::Length, true},
};

std::string Invalid(std::string_view option, const std::string& value, std::string_view want) {
    return "invalid value for " + std::string(option) + ": \"" + value + "\" (" +
           std::string(want) + " expected)";
}

// Applies one option with its value; returns an error text or "".
std::string Apply(TKodraJob& job, const TOptionDef& option, const std::string& v) {
    int n = 0;
    switch (option.opt) {
        case Opt::Overwrite:
            job.overwrite = true;
            return "";
        case Opt::NoVideo:
            job.noVideo = true;
            return "";
        case Opt::Input:
            if (v.empty()) return "the source path is empty";
            job.source = v;
            return "";
        case Opt::VideoCodec:
            // The MPEG-4 Part 2 encoder also stands for "xvid": same bitstream.
            if (v != "mpeg4" && v != "xvid")
                return "unsupported video codec \"" + v + "\" (mpeg4 or xvid expected)";
            job.videoEncoder = "mpeg4";
            return "";
        case Opt::AudioCodec:
            if (v == "aac")
                job.audioEncoder = "aac";
            else if (v == "mp3")
                job.audioEncoder = "libmp3lame";
            else
                return "unsupported audio codec \"" + v + "\" (aac or mp3 expected)";
            return "";
        case Opt::VideoBitrate:
        case Opt::AudioBitrate:
            if (!ReadInt(v, 1, 1000000, n)) return Invalid(option.name, v, "kbit/s");
            (option.opt == Opt::VideoBitrate ? job.videoKbps : job.audioKbps) = n;
            return "";
        case Opt::Volume:
            if (!ReadInt(v, 0, 100000, n)) return Invalid(option.name, v, "a percentage");
            job.volumePercent = n;
            return "";
        case Opt::Channels:
            if (!ReadInt(v, 1, 64, n)) return Invalid(option.name, v, "a channel count");
            job.channels = n;
            return "";
        case Opt::SampleRate:
            if (!ReadInt(v, 1, 1000000, n)) return Invalid(option.name, v, "a rate in Hz");
            job.sampleRate = n;
            return "";
        case Opt::Size:
            if (!IsFrameSize(v)) return Invalid(option.name, v, "WIDTHxHEIGHT");
            job.frameSize = v;
            return "";
        case Opt::Rate:
            if (!IsPositiveRatio(v, '/')) return Invalid(option.name, v, "frames per second");
            job.frameRate = v;
            return "";
        case Opt::Aspect:
            if (!IsPositiveRatio(v, ':')) return Invalid(option.name, v, "a ratio such as 4:3");
            job.aspect = v;
            return "";
        case Opt::Format:
            if (!IsFormatName(v)) return Invalid(option.name, v, "a format name");
            job.format = v;
            return "";
        case Opt::Start: {
            int64_t ms = 0;
            if (!ParseTimeText(v, ms)) return Invalid(option.name, v, "HH:MM:SS or seconds");
            job.startMs = ms;
            return "";
        }
        case Opt::Length: {
            int64_t ms = 0;
            bool negative = !v.empty() && v[0] == '-';
            if (!ParseTimeText(negative ? v.substr(1) : v, ms))
                return Invalid(option.name, v, "seconds");
            // A trimmed row whose end equals its start asks for nothing; an
            // empty file must not pass for a conversion.
            if (negative || ms <= 0) return "the length must be more than 0 seconds (-t " + v + ")";
            job.lengthMs = ms;
            return "";
        }
    }
    return "";
}

}  // namespace

bool ParseTimeText(const std::string& text, int64_t& ms) {
    std::string_view t = text;
    size_t first = t.find(':');
    if (first == std::string_view::npos) return ReadSeconds(t, ms);
    size_t second = t.find(':', first + 1);
    if (second == std::string_view::npos || t.find(':', second + 1) != std::string_view::npos)
        return false;
    std::string_view h = t.substr(0, first), m = t.substr(first + 1, second - first - 1);
    if (!AllDigits(h) || h.size() > 9 || !AllDigits(m) || m.size() > 9) return false;
    int64_t secondsMs = 0;
    if (!ReadSeconds(t.substr(second + 1), secondsMs)) return false;
    int64_t hours = 0, minutes = 0;
    std::from_chars(h.data(), h.data() + h.size(), hours);
    std::from_chars(m.data(), m.data() + m.size(), minutes);
    ms = (hours * 3600 + minutes * 60) * 1000 + secondsMs;
    return true;
}

std::string MillisecondsText(int64_t ms) {
    std::string text = ToText(ms / 1000);
    int64_t fraction = ms % 1000;
    if (fraction == 0) return text;
    std::string digits = ToText(1000 + fraction).substr(1);  // three digits, leading zeros kept
    while (digits.back() == '0') digits.pop_back();
    return text + "." + digits;
}

std::string ExtensionOf(const std::string& path) {
    size_t slash = path.rfind('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= nameStart) return "";
    return path.substr(dot);
}

std::string MuxerFor(const TKodraJob& job) {
    if (!job.format.empty()) return job.format;
    std::string ext = Lower(ExtensionOf(job.output));
    // The handheld only plays MP4 video written with its own brand and atoms.
    if (ext == ".mp4") return job.HasVideo() ? "psp" : "mp4";
    if (ext == ".m4a") return "ipod";
    if (ext == ".aac") return "adts";
    if (ext == ".mp3") return "mp3";
    return "";
}

TKodraParse ParseKodraArgs(const std::vector<std::string>& args) {
    TKodraParse result;
    TKodraJob& job = result.job;
    bool haveOutput = false;
    auto fail = [&](std::string error) {
        result.ok = false;
        result.usageError = true;
        result.error = std::move(error);
        return result;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.empty() && arg[0] == '-') {
            const TOptionDef* option = nullptr;
            for (const TOptionDef& s : kOptions)
                if (s.name == arg) option = &s;
            if (!option) return fail("unknown option \"" + arg + "\"");
            std::string value;
            if (option->takesValue) {
                if (i + 1 >= args.size()) return fail("option " + arg + " needs a value");
                value = args[++i];
            }
            std::string error = Apply(job, *option, value);
            if (!error.empty()) return fail(error);
            continue;
        }
        if (haveOutput) return fail("unexpected argument \"" + arg + "\" after the output file");
        if (arg.empty()) return fail("the output path is empty");
        job.output = arg;
        haveOutput = true;
    }
    if (job.source.empty()) return fail("no source file given (-i)");
    if (!haveOutput) return fail("no output file given");
    result.ok = true;
    result.usageError = false;
    return result;
}

// Sources whose container ffmpeg cannot seek in, known by their extension.
static bool CanNotSeek(const std::string& source) {
    const size_t dot = source.rfind('.');
    if (dot == std::string::npos || source.find('/', dot) != std::string::npos) return false;
    std::string ext = source.substr(dot);
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == ".swf";
}

std::vector<std::string> BuildFfmpegArgs(const TKodraJob& job, const std::string& outputPath,
                                         int progressFd) {
    // "file:" keeps names such as "pipe:1" or "concat:a" from being read as
    // other ffmpeg protocols.
    std::vector<std::string> a = {"-nostdin",
                                  "-hide_banner",
                                  "-nostats",
                                  "-loglevel",
                                  "error",
                                  "-progress",
                                  "pipe:" + ToText(progressFd),
                                  "-stats_period",
                                  "0.5"};
    // Before -i the start is an input option: ffmpeg seeks instead of
    // decoding everything up to it, and output time starts at 0 there. A
    // start of 0 needs no seek at all. ffmpeg's SWF reader cannot seek (an
    // input offset there yields nothing), so for it the start is an output
    // option: decoded up to, then written from.
    const bool start = job.startMs && *job.startMs > 0;
    const bool seekable = !CanNotSeek(job.source);
    if (start && seekable) a.insert(a.end(), {"-ss", MillisecondsText(*job.startMs)});
    a.insert(a.end(), {"-i", "file:" + job.source});
    if (start && !seekable) a.insert(a.end(), {"-ss", MillisecondsText(*job.startMs)});
    if (job.lengthMs) a.insert(a.end(), {"-t", MillisecondsText(*job.lengthMs)});
    if (job.HasVideo()) {
        a.insert(a.end(), {"-c:v", job.videoEncoder});
        if (job.videoKbps) a.insert(a.end(), {"-b:v", ToText(*job.videoKbps) + "k"});
        if (!job.frameSize.empty()) a.insert(a.end(), {"-s", job.frameSize});
        if (!job.frameRate.empty()) a.insert(a.end(), {"-r", job.frameRate});
        if (!job.aspect.empty()) a.insert(a.end(), {"-aspect", job.aspect});
    } else {
        a.push_back("-vn");
    }
    if (!job.audioEncoder.empty()) a.insert(a.end(), {"-c:a", job.audioEncoder});
    if (job.audioKbps) a.insert(a.end(), {"-b:a", ToText(*job.audioKbps) + "k"});
    if (job.volumePercent && *job.volumePercent != 100) {
        int p = *job.volumePercent;
        std::string hundredths = ToText(100 + p % 100).substr(1);
        a.insert(a.end(), {"-af", "volume=" + ToText(p / 100) + "." + hundredths});
    }
    if (job.channels) a.insert(a.end(), {"-ac", ToText(*job.channels)});
    if (job.sampleRate) a.insert(a.end(), {"-ar", ToText(*job.sampleRate)});
    // Subtitle and data streams have no place in these outputs and would
    // make some muxers refuse the file.
    a.insert(a.end(), {"-sn", "-dn"});
    std::string muxer = MuxerFor(job);
    if (!muxer.empty()) a.insert(a.end(), {"-f", muxer});
    a.insert(a.end(), {"-y", "file:" + outputPath});
    return a;
}
