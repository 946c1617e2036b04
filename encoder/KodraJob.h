// The command line kodra accepts, read into a job, and the ffmpeg command
// line that does the job. Pure logic: no files, no processes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One conversion as asked for on kodra's command line. Optional values
// that are absent leave ffmpeg's own choice.
struct TKodraJob {
    std::string source;
    std::string output;
    bool overwrite = false;            // -y
    std::string videoEncoder;          // ffmpeg encoder for -vcodec; empty when not given
    std::string audioEncoder;          // ffmpeg encoder for -acodec; empty when not given
    bool noVideo = false;              // -vn
    std::optional<int> videoKbps;      // -b
    std::optional<int> audioKbps;      // -ab
    std::optional<int> volumePercent;  // -vol
    std::optional<int> channels;       // -ac
    std::optional<int> sampleRate;     // -ar
    std::string frameSize;             // -s, "WxH"
    std::string frameRate;             // -r, as given ("14.985", "25")
    std::string aspect;                // -aspect, as given ("4:3")
    std::string format;                // -f, ffmpeg muxer name
    std::optional<int64_t> startMs;    // -ss
    std::optional<int64_t> lengthMs;   // -t

    // A video stream is written only when a video codec was asked for and
    // -vn did not take it away again.
    bool HasVideo() const { return !videoEncoder.empty() && !noVideo; }
};

struct TKodraParse {
    bool ok = false;
    bool usageError = false;  // the command line itself was wrong
    TKodraJob job;
    std::string error;  // one line, without the program name
};

// Reads kodra's arguments (without the program name). Every value is
// checked here, so ffmpeg never sees a value it could take for an option.
TKodraParse ParseKodraArgs(const std::vector<std::string>& args);

// "HH:MM:SS" (hours of any number of digits, an optional fraction on the
// seconds) or plain seconds, into milliseconds. False for anything else.
bool ParseTimeText(const std::string& text, int64_t& ms);

// Milliseconds as seconds text with "." ("75", "1.5", "0.25"), whatever
// the locale.
std::string MillisecondsText(int64_t ms);

// The muxer for the job: -f when given, else chosen by the output's
// extension; empty when ffmpeg should guess from the name.
std::string MuxerFor(const TKodraJob& job);

// The last extension of a path's file name, with its dot ("" when none).
std::string ExtensionOf(const std::string& path);

// ffmpeg's arguments (without the program name) for the job, writing to
// outputPath and reporting machine-readable progress on progressFd.
std::vector<std::string> BuildFfmpegArgs(const TKodraJob& job, const std::string& outputPath,
                                         int progressFd);
