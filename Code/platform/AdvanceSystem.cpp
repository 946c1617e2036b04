#include "AdvanceSystem.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "ArgumentRules.h"
#include "PidFd.h"

extern char** environ;

namespace {

// One descriptor, closed when it goes out of scope, so every path closes it.
class TFd {
  public:
    TFd() = default;
    explicit TFd(int fd) : fd_(fd) {}
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd() { Reset(); }
    int Get() const { return fd_; }
    void Reset(int fd = -1) {
        if (fd_ >= 0) close(fd_);
        fd_ = fd;
    }

  private:
    int fd_ = -1;
};

// Moves a descriptor above 0, 1 and 2: when the program runs with a standard
// descriptor closed, a pipe end can land there, and the child's
// redirections would then overwrite one pipe end with another.
bool LiftAboveStandard(TFd& fd) {
    if (fd.Get() > 2) return true;
    const int lifted = fcntl(fd.Get(), F_DUPFD_CLOEXEC, 3);
    if (lifted < 0) return false;
    fd.Reset(lifted);
    return true;
}

bool MakePipe(TFd& readEnd, TFd& writeEnd) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    readEnd.Reset(ends[0]);
    writeEnd.Reset(ends[1]);
    return true;
}

// Bytes waiting in the pipe; 0 when they cannot be counted.
int BytesWaiting(int fd) {
    int waiting = 0;
    if (ioctl(fd, FIONREAD, &waiting) != 0) return 0;
    return waiting;
}

void Pause(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class TSpawnSetup {
  public:
    TSpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attr);
    }
    TSpawnSetup(const TSpawnSetup&) = delete;
    TSpawnSetup& operator=(const TSpawnSetup&) = delete;
    ~TSpawnSetup() {
        posix_spawnattr_destroy(&attr);
        posix_spawn_file_actions_destroy(&actions);
    }
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
};

// The started child. Reaped on every path: when the run is left early (a
// callback that throws), the child is asked to end, then killed, so no
// encoder is left running and no zombie remains.
class TChild {
  public:
    static constexpr int kGraceMs = 3000;

    explicit TChild(pid_t pid) : pid_(pid), pidfd_(OpenPidFd(pid)) {}
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;
    ~TChild() {
        if (reaped_) return;
        kill(pid_, SIGTERM);  // still unreaped, so the id cannot have been reused
        for (int waited = 0; waited < kGraceMs && !Reap(); waited += 100) {
            WaitForEnd(100);
        }
        if (reaped_) return;
        kill(pid_, SIGKILL);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }

    int PidFd() const { return pidfd_.Get(); }

    // True once the child has ended; it is then reaped and its end recorded.
    bool Reap() {
        if (reaped_) return true;
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == 0 || (r < 0 && errno == EINTR)) return false;
        reaped_ = true;
        if (r == pid_) {
            if (WIFEXITED(status)) {
                exited_ = true;
                exitStatus_ = WEXITSTATUS(status);
            } else if (WIFSIGNALED(status)) {
                termSignal_ = WTERMSIG(status);
            }
        }
        // Otherwise someone else reaped it (SIGCHLD ignored): it has ended,
        // how is not known.
        return true;
    }

    void Report(TRunResult& result) const {
        result.Exited = exited_;
        result.ExitStatus = exited_ ? exitStatus_ : -1;
        result.TermSignal = termSignal_;
    }

  private:
    void WaitForEnd(int ms) {
        if (pidfd_.Get() >= 0) {
            pollfd p{pidfd_.Get(), POLLIN, 0};
            poll(&p, 1, ms);
        } else {
            Pause(ms);
        }
    }

    pid_t pid_;
    TFd pidfd_;
    bool reaped_ = false;
    bool exited_ = false;
    int exitStatus_ = -1;
    int termSignal_ = 0;
};

// Sleeps in the kernel until output is waiting or the child has ended. With
// no pidfd (an old kernel), the child's end is noticed within 100 ms.
void WaitForOutputOrEnd(int pipeFd, int pidfd) {
    pollfd fds[2] = {{pipeFd, POLLIN, 0}, {pidfd, POLLIN, 0}};
    const bool havePidFd = pidfd >= 0;
    poll(fds, havePidFd ? 2 : 1, havePidFd ? -1 : 100);
}

}  // namespace

TAdvanceSystem::TAdvanceSystem(std::string programFolder, int chunkPauseMs)
    : programFolder_(std::move(programFolder)), chunkPauseMs_(chunkPauseMs) {}

TRunResult TAdvanceSystem::RunProcess(const std::string& program, const std::string& line,
                                      const std::function<void(const std::string&)>& callback) {
    TLeadingProgram lead;
    if (!program.empty()) {
        lead = LeadingToken(line, program);
    } else {
        std::optional<TLeadingProgram> found = FindLeadingProgram(line, programFolder_);
        if (!found) return {};
        lead = std::move(*found);
    }
    std::vector<std::string> args = SplitArguments(line.substr(lead.Rest));
    args.insert(args.begin(), lead.Token);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    // A: the child's standard input, never written, so a child that reads
    // it waits rather than seeing an end. B: its standard output and error.
    // The program keeps B's write end too, so the pipe never reports a
    // hang-up that would wake the wait below over and over.
    TFd aRead, aWrite, bRead, bWrite;
    if (!MakePipe(aRead, aWrite) || !MakePipe(bRead, bWrite)) return {};
    for (TFd* fd : {&aRead, &aWrite, &bRead, &bWrite}) {
        if (!LiftAboveStandard(*fd)) return {};
    }
    // Only the program's own end may be non-blocking: no read here can wait.
    const int flags = fcntl(bRead.Get(), F_GETFL);
    if (flags < 0 || fcntl(bRead.Get(), F_SETFL, flags | O_NONBLOCK) != 0) return {};

    TSpawnSetup setup;
    if (!programFolder_.empty()) {
        posix_spawn_file_actions_addchdir_np(&setup.actions, programFolder_.c_str());
    }
    posix_spawn_file_actions_adddup2(&setup.actions, aRead.Get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&setup.actions, bWrite.Get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&setup.actions, bWrite.Get(), STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);
    // Threads of the program (Qt, GStreamer) may have blocked or ignored
    // signals; the child starts clean, in a session of its own.
    sigset_t noSignals, allSignals;
    sigemptyset(&noSignals);
    sigfillset(&allSignals);
    posix_spawnattr_setsigmask(&setup.attr, &noSignals);
    posix_spawnattr_setsigdefault(&setup.attr, &allSignals);
    posix_spawnattr_setflags(&setup.attr,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    if (posix_spawn(&pid, lead.File.c_str(), &setup.actions, &setup.attr, argv.data(), environ) !=
        0) {
        return {};
    }

    TChild child(pid);
    TRunResult result;
    result.Started = true;
    std::array<char, kChunkSize + 2> buffer{};
    std::string chunk;
    for (;;) {
        // Whether it has ended is read before the pipe, so whatever it wrote
        // before ending is still seen in this last pass.
        const bool ended = child.Reap();
        const int waiting = BytesWaiting(bRead.Get());
        if (waiting > 0) {
            buffer.fill(0);
            ssize_t got = read(bRead.Get(), buffer.data(), kChunkSize);
            if (waiting > kChunkSize) {
                // Several blocks at once: only the last one is shown. After a
                // full block another is read only if bytes are waiting, so
                // a child that stops writing there cannot hold the loop.
                while (got == kChunkSize && BytesWaiting(bRead.Get()) > 0) {
                    got = read(bRead.Get(), buffer.data(), kChunkSize);
                }
            }
            const size_t length = got > 0 ? static_cast<size_t>(got) : 0;
            chunk.assign(buffer.data(), strnlen(buffer.data(), length));
            if (callback) callback(chunk);
            Pause(chunkPauseMs_);
        } else if (!ended) {
            WaitForOutputOrEnd(bRead.Get(), child.PidFd());
            continue;
        }
        if (ended) break;
    }
    child.Report(result);
    return result;
}
