// The process list of the program's own user, read from /proc, and the
// signals that stop a process.
#pragma once

#include <string>

#include "Ports.h"

class TProcessTable : public IProcessTable {
  public:
    // procRoot: where the process list is read (tests may point elsewhere).
    explicit TProcessTable(std::string procRoot = "/proc/");

    // Processes whose real user is the program's own, zombies left out, in
    // the order of the list. Names are /proc/PID/comm, as the kernel keeps them.
    std::vector<TProcessEntry> Snapshot() override;
    // SIGTERM, or SIGKILL when forced, through a pidfd, after checking that
    // the process behind it still carries the name and belongs to the user.
    bool Terminate(const TProcessEntry& process, bool force) override;

  private:
    std::string procRoot_;
};
