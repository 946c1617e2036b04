// kodra: the encoder front end. Reads the program's encoder command line,
// runs ffmpeg as its only child and reports progress in the program's
// line shape on standard output.
//
// One thread, one poll() loop: ffmpeg's progress and error pipes, a
// signalfd for termination requests and the child's end, and a timeout for
// the progress rhythm.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "KodraJob.h"
#include "KodraProgress.h"

namespace {

constexpr int kTickMs = 500;        // two progress lines a second
constexpr int kStopGraceMs = 2000;  // ffmpeg's time to close its file after a stop
constexpr int kProgressFd = 3;      // where ffmpeg writes its machine progress
constexpr size_t kErrTailMax = 8192;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Control characters in names or in ffmpeg's text would break the one line.
std::string OneLine(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return out;
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string ErrnoText(int e) {
    return std::strerror(e);
}

enum class TWrite { Written, Skipped, Closed };

// Writes text in one write(), waiting at most waitMs for room, so a reader
// that stops reading can never hold kodra up.
TWrite WriteWhole(int fd, const std::string& text, int waitMs) {
    pollfd p{fd, POLLOUT, 0};
    int r;
    do r = poll(&p, 1, waitMs);
    while (r < 0 && errno == EINTR);
    if (r == 1 && (p.revents & POLLERR)) return TWrite::Closed;
    if (r != 1 || !(p.revents & POLLOUT)) return TWrite::Skipped;
    ssize_t n;
    do n = write(fd, text.data(), text.size());
    while (n < 0 && errno == EINTR);
    if (n < 0 && errno == EPIPE) return TWrite::Closed;
    return n < 0 ? TWrite::Skipped : TWrite::Written;
}

void Report(const std::string& message) {
    WriteWhole(STDERR_FILENO, "kodra: " + OneLine(message) + "\n", 1000);
}

// A parent may hand over descriptors it forgot to close; they must not
// reach ffmpeg, which would keep the parent's pipes open.
void MarkInheritedCloseOnExec() {
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
    for (int fd = 3; fd < 1024; ++fd) {
        int flags = fcntl(fd, F_GETFD);
        if (flags >= 0) fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
}

// Closed standard descriptors would let a pipe take their number.
void EnsureStdFds() {
    for (int fd = 0; fd <= 2; ++fd)
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) open("/dev/null", O_RDWR);
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// ffmpeg from PATH, or KODRA_FFMPEG: a path, or a name looked up on PATH.
std::string FindFfmpeg(std::string& error) {
    const char* env = std::getenv("KODRA_FFMPEG");
    bool fromEnv = env && *env;
    std::string name = fromEnv ? env : "ffmpeg";
    if (name.find('/') != std::string::npos) {
        if (IsExecutableFile(name)) return name;
        error = "ffmpeg not found: " + Quoted(name) + " (KODRA_FFMPEG) is not an executable file";
        return "";
    }
    const char* pathEnv = std::getenv("PATH");
    std::string dirs = pathEnv ? pathEnv : "/usr/local/bin:/usr/bin:/bin";
    size_t from = 0;
    while (from <= dirs.size()) {
        size_t colon = dirs.find(':', from);
        if (colon == std::string::npos) colon = dirs.size();
        std::string dir = dirs.substr(from, colon - from);
        from = colon + 1;
        // An empty entry would mean the working folder: never run a file from there.
        if (dir.empty()) continue;
        std::string candidate = dir + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
    }
    error = fromEnv ? "ffmpeg not found: no " + Quoted(name) + " (KODRA_FFMPEG) on PATH"
                    : "ffmpeg not found on PATH (install the ffmpeg package)";
    return "";
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string CheckSource(const std::string& source, struct stat& st) {
    // Non-blocking, so a FIFO given as the source cannot stall the open.
    int fd = open(source.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return "cannot read the source " + Quoted(source) + ": " + ErrnoText(errno);
    int rc = fstat(fd, &st);
    int e = errno;
    close(fd);
    if (rc != 0) return "cannot read the source " + Quoted(source) + ": " + ErrnoText(e);
    if (S_ISDIR(st.st_mode)) return "the source " + Quoted(source) + " is a folder";
    if (!S_ISREG(st.st_mode)) return "the source " + Quoted(source) + " is not a regular file";
    return "";
}

// Checks the output path and creates the file ffmpeg writes to: a hidden
// file beside the output, renamed onto it only when there is something to
// keep, so a failed run never truncates a file that was there before.
std::string PrepareOutput(const TKodraJob& job, const struct stat& sourceStat,
                          std::string& tempPath) {
    const std::string& out = job.output;
    if (out.back() == '/') return "the output path " + Quoted(out) + " names no file";
    struct stat st {};
    if (lstat(out.c_str(), &st) == 0) {
        struct stat target {};
        bool resolved = stat(out.c_str(), &target) == 0;
        if (resolved && target.st_dev == sourceStat.st_dev && target.st_ino == sourceStat.st_ino)
            return "the output " + Quoted(out) + " is the source file; it is never overwritten";
        if (resolved && S_ISDIR(target.st_mode))
            return "the output " + Quoted(out) + " is a folder";
        if (!job.overwrite)
            return "the output " + Quoted(out) + " already exists (-y overwrites it)";
    }
    std::string folder = FolderOf(out);
    struct stat fst {};
    if (stat(folder.c_str(), &fst) != 0) {
        int e = errno;
        if (e == ENOENT) return "the output folder " + Quoted(folder) + " does not exist";
        return "cannot use the output folder " + Quoted(folder) + ": " + ErrnoText(e);
    }
    if (!S_ISDIR(fst.st_mode)) return "the output folder " + Quoted(folder) + " is not a folder";
    // The extension lets ffmpeg pick a muxer when kodra does not name one.
    std::string ext = ExtensionOf(out);
    if (ext.size() > 16) ext.clear();
    std::string prefix = folder + "/.kodra-" + std::to_string(getpid()) + "-";
    for (int k = 0; k < 100; ++k) {
        std::string candidate = prefix + std::to_string(k) + ext;
        int fd =
            open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            close(fd);
            tempPath = candidate;
            return "";
        }
        if (errno != EEXIST)
            return "cannot write to the output folder " + Quoted(folder) + ": " + ErrnoText(errno);
    }
    return "cannot create a file in the output folder " + Quoted(folder);
}

const char* SignalName(int sig) {
    switch (sig) {
        case SIGTERM:
            return "SIGTERM";
        case SIGINT:
            return "SIGINT";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

enum class TStop { None, Signal, ClosedOutput };

class TConversion {
  public:
    TConversion(const TKodraJob& job, std::string ffmpeg, std::string temp, int signalFd)
        : job_(job), ffmpeg_(std::move(ffmpeg)), temp_(std::move(temp)), signalFd_(signalFd) {}

    int Run() {
        ReadSignals();  // a request that came during the checks
        if (stop_ != TStop::None) return Finish();
        if (!Start()) {
            Discard();
            return kExitFailure;
        }
        Loop();
        return Finish();
    }

  private:
    bool Start() {
        int prog[2], err[2], execErr[2];
        if (pipe2(prog, O_CLOEXEC) != 0) return StartFailed(errno);
        if (pipe2(err, O_CLOEXEC) != 0) {
            int e = errno;
            CloseAll({prog[0], prog[1]});
            return StartFailed(e);
        }
        if (pipe2(execErr, O_CLOEXEC) != 0) {
            int e = errno;
            CloseAll({prog[0], prog[1], err[0], err[1]});
            return StartFailed(e);
        }
        int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (devNull < 0) {
            int e = errno;
            CloseAll({prog[0], prog[1], err[0], err[1], execErr[0], execErr[1]});
            return StartFailed(e);
        }
        // Everything the child needs is made before fork: after it, only
        // async-signal-safe calls.
        std::vector<std::string> args = BuildFfmpegArgs(job_, temp_, kProgressFd);
        std::vector<char*> argv;
        argv.push_back(ffmpeg_.data());
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t parent = getpid();
        sigset_t none;
        sigemptyset(&none);
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;

        pid_ = fork();
        if (pid_ == 0) {
            // Own process group: a terminal's Ctrl-C reaches kodra only,
            // which passes on one request.
            setpgid(0, 0);
            // Dies with kodra; if kodra is already gone, don't start at all.
            if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(127);
            if (dup2(devNull, STDIN_FILENO) < 0 || dup2(err[1], STDOUT_FILENO) < 0 ||
                dup2(err[1], STDERR_FILENO) < 0)
                ExecFailed(execErr[1]);
            if (prog[1] == kProgressFd) {
                if (fcntl(kProgressFd, F_SETFD, 0) != 0) ExecFailed(execErr[1]);
            } else if (dup2(prog[1], kProgressFd) < 0) {
                ExecFailed(execErr[1]);
            }
            for (int sig : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD})
                sigaction(sig, &dfl, nullptr);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            execv(ffmpeg_.c_str(), argv.data());
            ExecFailed(execErr[1]);
        }
        int forkErrno = errno;
        CloseAll({prog[1], err[1], execErr[1], devNull});
        if (pid_ < 0) {
            CloseAll({prog[0], err[0], execErr[0]});
            return StartFailed(forkErrno);
        }
        progressFd_ = prog[0];
        errFd_ = err[0];
        execErrFd_ = execErr[0];
        for (int fd : {progressFd_, errFd_, execErrFd_})
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        nextTick_ = NowMs() + kTickMs;
        return true;
    }

    [[noreturn]] static void ExecFailed(int fd) {
        int e = errno;
        ssize_t ignored = write(fd, &e, sizeof e);
        (void)ignored;
        _exit(127);
    }

    bool StartFailed(int e) {
        Report("cannot start ffmpeg: " + ErrnoText(e));
        return false;
    }

    static void CloseAll(std::initializer_list<int> fds) {
        for (int fd : fds)
            if (fd >= 0) close(fd);
    }

    void Loop() {
        while (!reaped_) {
            std::vector<pollfd> fds;
            fds.push_back({signalFd_, POLLIN, 0});
            if (progressFd_ >= 0) fds.push_back({progressFd_, POLLIN, 0});
            if (errFd_ >= 0) fds.push_back({errFd_, POLLIN, 0});
            if (execErrFd_ >= 0) fds.push_back({execErrFd_, POLLIN, 0});
            // Asking for no event still reports POLLERR once the reader of
            // our output has gone.
            if (watchStdout_) fds.push_back({STDOUT_FILENO, 0, 0});

            int64_t wake = nextTick_;
            if (killAt_ >= 0) wake = std::min(wake, killAt_);
            int timeout = static_cast<int>(std::max<int64_t>(0, wake - NowMs()));
            int r = poll(fds.data(), fds.size(), timeout);
            if (r < 0 && errno != EINTR) {
                // Without a working poll kodra cannot watch ffmpeg: end it
                // rather than leave it behind.
                kill(pid_, SIGKILL);
                killedByUs_ = true;
                while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
                }
                reaped_ = true;
                break;
            }
            for (const pollfd& p : fds) {
                if (r <= 0 || p.revents == 0) continue;
                if (p.fd == signalFd_)
                    ReadSignals();
                else if (p.fd == progressFd_)
                    ReadProgress();
                else if (p.fd == errFd_)
                    ReadErrors();
                else if (p.fd == execErrFd_)
                    ReadExecError();
                else if (p.fd == STDOUT_FILENO) {
                    watchStdout_ = false;
                    if (p.revents & (POLLERR | POLLHUP)) RequestStop(TStop::ClosedOutput, 0);
                }
            }
            int64_t now = NowMs();
            if (now >= nextTick_) {
                while (nextTick_ <= now) nextTick_ += kTickMs;
                Tick();
            }
            if (killAt_ >= 0 && now >= killAt_ && !reaped_) {
                // ffmpeg did not end after its one request: stop it hard
                // rather than outlive the program's patience.
                kill(pid_, SIGKILL);
                killedByUs_ = true;
                killAt_ = -1;
            }
        }
        // What ffmpeg wrote before it ended is still in the pipes.
        while (progressFd_ >= 0) ReadProgress();
        while (errFd_ >= 0) ReadErrors();
        while (execErrFd_ >= 0) ReadExecError();
    }

    void Tick() {
        // Before the first packet there is no progress to show, and a run
        // that turns out to have nothing to convert writes no progress.
        if (stop_ != TStop::None || !progress_.Latest().EncodedSomething() || reaped_) return;
        if (WriteWhole(STDOUT_FILENO, FormatProgressLine(progress_.Latest(), job_.HasVideo()), 0) ==
            TWrite::Closed)
            RequestStop(TStop::ClosedOutput, 0);
    }

    void ReadSignals() {
        signalfd_siginfo si{};
        while (read(signalFd_, &si, sizeof si) == static_cast<ssize_t>(sizeof si)) {
            if (static_cast<int>(si.ssi_signo) == SIGCHLD)
                Reap();
            else
                RequestStop(TStop::Signal, static_cast<int>(si.ssi_signo));
        }
    }

    void Reap() {
        if (pid_ <= 0 || reaped_) return;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            reaped_ = true;
            status_ = status;
        }
    }

    // Only the first request reaches ffmpeg: it abandons closing its file
    // cleanly after a few signals, and the program repeats its request.
    void RequestStop(TStop cause, int sig) {
        if (stop_ != TStop::None) return;
        stop_ = cause;
        stopSignal_ = sig;
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGTERM);
            killAt_ = NowMs() + kStopGraceMs;
        }
    }

    // Reads one chunk; closes the descriptor at its end or on an error.
    // Returns the bytes read (none when nothing was waiting).
    static std::string ReadChunk(int& fd, bool childEnded) {
        char buf[4096];
        ssize_t n;
        do n = read(fd, buf, sizeof buf);
        while (n < 0 && errno == EINTR);
        if (n > 0) return std::string(buf, static_cast<size_t>(n));
        if (n == 0 || errno != EAGAIN) {
            close(fd);
            fd = -1;
        } else if (childEnded) {
            // ffmpeg has ended; something else holding the pipe must not
            // keep kodra waiting.
            close(fd);
            fd = -1;
        }
        return "";
    }

    void ReadProgress() { progress_.Feed(ReadChunk(progressFd_, reaped_)); }

    void ReadErrors() {
        errTail_ += ReadChunk(errFd_, reaped_);
        if (errTail_.size() > kErrTailMax) errTail_.erase(0, errTail_.size() - kErrTailMax);
    }

    void ReadExecError() {
        int e = 0;
        ssize_t n = read(execErrFd_, &e, sizeof e);
        if (n == static_cast<ssize_t>(sizeof e)) {
            execFailed_ = true;
            execErrno_ = e;
        }
        if (n >= 0 || errno != EAGAIN || reaped_) {
            close(execErrFd_);
            execErrFd_ = -1;
        }
    }

    std::string LastErrorLine() const {
        std::string text = errTail_;
        std::replace(text.begin(), text.end(), '\r', '\n');
        size_t end = text.find_last_not_of(" \t\n");
        if (end == std::string::npos) return "";
        size_t start = text.rfind('\n', end);
        start = start == std::string::npos ? 0 : start + 1;
        std::string line = text.substr(start, end - start + 1);
        // Speak of the files by the names the caller gave.
        ReplaceAll(line, "file:" + temp_, job_.output);
        ReplaceAll(line, "file:" + job_.source, job_.source);
        return line;
    }

    static void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
        for (size_t at = text.find(from); at != std::string::npos;
             at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    }

    void Discard() {
        if (!temp_.empty()) unlink(temp_.c_str());
        temp_.clear();
    }

    bool Publish(std::string& error) {
        int rc;
        if (job_.overwrite) {
            rc = rename(temp_.c_str(), job_.output.c_str());
        } else {
            rc =
                renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, job_.output.c_str(), RENAME_NOREPLACE);
            if (rc != 0 && errno == EINVAL) {
                // A file system without the flag: check, then rename.
                struct stat st {};
                if (lstat(job_.output.c_str(), &st) == 0)
                    errno = EEXIST;
                else
                    rc = rename(temp_.c_str(), job_.output.c_str());
            }
        }
        if (rc != 0) {
            error = "cannot write the output " + Quoted(job_.output) + ": " + ErrnoText(errno);
            return false;
        }
        temp_.clear();
        return true;
    }

    static off_t FileSize(const std::string& path) {
        struct stat st {};
        return stat(path.c_str(), &st) == 0 ? st.st_size : 0;
    }

    int StoppedStatus() const { return 128 + (stop_ == TStop::Signal ? stopSignal_ : SIGPIPE); }

    std::string StopText() const {
        return stop_ == TStop::Signal ? std::string("stopped by ") + SignalName(stopSignal_)
                                      : std::string("stopped: the progress output was closed");
    }

    int Finish() {
        const TProgressSnapshot& s = progress_.Latest();
        if (execFailed_) {
            Discard();
            Report("cannot run ffmpeg " + Quoted(ffmpeg_) + ": " + ErrnoText(execErrno_));
            return kExitFailure;
        }
        if (stop_ != TStop::None) {
            // ffmpeg closed the file after its one request; what it holds
            // so far is a playable file worth keeping.
            bool keep = pid_ > 0 && WIFEXITED(status_) && !killedByUs_ && s.EncodedSomething() &&
                        FileSize(temp_) > 0;
            std::string error;
            if (keep && Publish(error)) {
                Report(StopText() + "; " + Quoted(job_.output) +
                       " holds what was converted so far");
            } else {
                Discard();
                Report(StopText() + "; nothing was kept");
            }
            return StoppedStatus();
        }
        if (WIFSIGNALED(status_)) {
            Discard();
            Report("ffmpeg was ended by signal " + std::to_string(WTERMSIG(status_)));
            return kExitFailure;
        }
        if (WEXITSTATUS(status_) != 0) {
            std::string line = LastErrorLine();
            Discard();
            Report(line.empty()
                       ? "ffmpeg failed with status " + std::to_string(WEXITSTATUS(status_))
                       : "conversion failed: " + line);
            return kExitFailure;
        }
        if (!s.EncodedSomething()) {
            Discard();
            if (job_.startMs && *job_.startMs > 0)
                Report("the start (" + MillisecondsText(*job_.startMs) +
                       " s) lies beyond the end of the source " + Quoted(job_.source));
            else
                Report("nothing to convert: the source " + Quoted(job_.source) +
                       " holds no usable stream");
            return kExitFailure;
        }
        std::string error;
        if (!Publish(error)) {
            Discard();
            Report(error);
            return kExitFailure;
        }
        WriteWhole(STDOUT_FILENO, FormatProgressLine(s, job_.HasVideo()), 1000);
        return 0;
    }

    const TKodraJob& job_;
    std::string ffmpeg_;
    std::string temp_;
    int signalFd_;
    pid_t pid_ = -1;
    int progressFd_ = -1, errFd_ = -1, execErrFd_ = -1;
    bool watchStdout_ = true;
    bool reaped_ = false;
    int status_ = 0;
    bool execFailed_ = false;
    int execErrno_ = 0;
    TStop stop_ = TStop::None;
    int stopSignal_ = 0;
    int64_t nextTick_ = 0;
    int64_t killAt_ = -1;
    bool killedByUs_ = false;
    TProgressReader progress_;
    std::string errTail_;
};

}  // namespace

int main(int argc, char** argv) {
    EnsureStdFds();
    MarkInheritedCloseOnExec();
    // A closed output shows as EPIPE and is handled as a stop request.
    signal(SIGPIPE, SIG_IGN);
    sigset_t handled;
    sigemptyset(&handled);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGCHLD}) {
        // An inherited "ignore" would drop the signal before the signalfd sees it.
        signal(sig, SIG_DFL);
        sigaddset(&handled, sig);
    }
    sigprocmask(SIG_BLOCK, &handled, nullptr);
    int signalFd = signalfd(-1, &handled, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signalFd < 0) {
        Report("cannot watch for signals: " + ErrnoText(errno));
        return kExitFailure;
    }

    TKodraParse parsed = ParseKodraArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok) {
        Report(parsed.error);
        return kExitUsage;
    }
    const TKodraJob& job = parsed.job;
    std::string error;
    std::string ffmpeg = FindFfmpeg(error);
    if (ffmpeg.empty()) {
        Report(error);
        return kExitFailure;
    }
    struct stat sourceStat {};
    error = CheckSource(job.source, sourceStat);
    if (!error.empty()) {
        Report(error);
        return kExitFailure;
    }
    std::string temp;
    error = PrepareOutput(job, sourceStat, temp);
    if (!error.empty()) {
        Report(error);
        return kExitFailure;
    }
    return TConversion(job, ffmpeg, temp, signalFd).Run();
}
