// Reads a media file's duration with libavformat.
#pragma once

#include <cstdint>
#include <string>

#include "Ports.h"

class TMediaProbe : public IMediaProbe {
  public:
    // Regular files only: a FIFO or a device named like a video is refused
    // at once instead of blocking the program. A file is probed when a
    // container recognises it and it holds a sound or picture stream. The
    // duration is the container's; where the container keeps none (SWF),
    // it is measured from the packets' time stamps. Nested resources that
    // a container may name (playlists, external references) are never
    // opened. Everything is freed before the call returns.
    int64_t DurationMs(const std::string& path) override;
};
