// TAdvanceSystem: runs one command line as a child whose output comes
// through a pipe, and hands that output to a callback in chunks until the
// child has ended.
#pragma once

#include <string>

#include "Ports.h"

class TAdvanceSystem : public IProcessRunner {
  public:
    // The longest chunk one read takes from the pipe.
    static constexpr int kChunkSize = 1023;
    // The pause after each chunk, which limits the progress display to two
    // updates a second.
    static constexpr int kChunkPauseMs = 500;

    // programFolder: the child's working folder, with its trailing "/".
    explicit TAdvanceSystem(std::string programFolder, int chunkPauseMs = kChunkPauseMs);

    // Starts program (or, when empty, the file the line starts with) with
    // the line's arguments, never through a shell. Returns when the child
    // has ended and has been reaped; Started is false when nothing could
    // be started, in which case the callback is never called.
    TRunResult RunProcess(const std::string& program, const std::string& line,
                          const std::function<void(const std::string&)>& callback) override;

  private:
    std::string programFolder_;
    int chunkPauseMs_;
};
