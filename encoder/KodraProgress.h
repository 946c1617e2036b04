// ffmpeg's machine-readable progress ("key=value" lines in blocks that end
// with "progress=...") and the progress lines kodra writes from it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TProgressSnapshot {
    int64_t frame = 0;
    int qTenths = 0;         // the video quantiser in tenths
    int64_t totalBytes = 0;  // output written so far
    int64_t outTimeUs = 0;   // elapsed output time
    bool end = false;        // ffmpeg's last block

    bool EncodedSomething() const { return frame > 0 || outTimeUs > 0; }
};

class TProgressReader {
  public:
    // Takes bytes as they come from the pipe; lines may be cut anywhere.
    void Feed(std::string_view bytes);
    // True once a whole block has arrived.
    bool Seen() const { return seen_; }
    // The values of the last whole block.
    const TProgressSnapshot& Latest() const { return latest_; }

  private:
    void Line(std::string_view line);

    std::string partial_;
    bool dropping_ = false;  // inside an overlong line, skipped
    TProgressSnapshot pending_;
    TProgressSnapshot latest_;
    bool seen_ = false;
};

// One progress line, ended by CR:
//   video: "frame=  123 q=2.0 size=    1234kB time=45.60 bitrate= 221.5kbits/s"
//   sound: "size=    1234kB time=45.60 bitrate= 221.5kbits/s"
// Numbers use "." whatever the locale.
std::string FormatProgressLine(const TProgressSnapshot& s, bool video);
