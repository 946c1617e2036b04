// CPU time this process spends while the encoder it runs writes nothing for
// a few seconds: the runner (which waits in the kernel) against a baseline
// loop that asks again at once, measured in the same run.
//
// Usage: orv_runner_idle_bench [seconds]   (default 5)
// Exit status 1 when the runner spends 50 ms or more.
#include <fcntl.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "AdvanceSystem.h"

extern char** environ;

namespace {

constexpr double kGoalMs = 50.0;
const char* const kSleep = "/bin/sleep";

double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

struct TFigures {
    double cpuMs;
    double wallMs;
};

TFigures MeasureRunner(const std::string& seconds) {
    TAdvanceSystem runner("/", TAdvanceSystem::kChunkPauseMs);
    const double cpu = CpuMs(), wall = NowMs();
    runner.RunProcess(kSleep, std::string(kSleep) + " " + seconds, [](const std::string&) {});
    return {CpuMs() - cpu, NowMs() - wall};
}

// The same child, watched by asking for output and for its end over and
// over without waiting.
TFigures MeasureSpinning(const std::string& seconds) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return {0, 0};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::string arg = seconds;
    char* argv[] = {const_cast<char*>(kSleep), arg.data(), nullptr};
    pid_t pid = 0;
    const double cpu = CpuMs(), wall = NowMs();
    if (posix_spawn(&pid, kSleep, &actions, nullptr, argv, environ) == 0) {
        int status = 0;
        for (;;) {
            int waiting = 0;
            ioctl(out[0], FIONREAD, &waiting);
            if (waitpid(pid, &status, WNOHANG) == pid) break;
        }
    }
    const TFigures figures{CpuMs() - cpu, NowMs() - wall};
    posix_spawn_file_actions_destroy(&actions);
    close(out[0]);
    close(out[1]);
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string seconds = argc > 1 ? argv[1] : "5";
    const TFigures spinning = MeasureSpinning(seconds);
    const TFigures runner = MeasureRunner(seconds);
    std::printf("child silent for %s s\n", seconds.c_str());
    std::printf("spinning baseline: %8.1f ms CPU over %7.1f ms\n", spinning.cpuMs, spinning.wallMs);
    std::printf("runner:            %8.1f ms CPU over %7.1f ms\n", runner.cpuMs, runner.wallMs);
    if (runner.cpuMs > 0) {
        std::printf("baseline / runner: %.0f x\n", spinning.cpuMs / runner.cpuMs);
    }
    const bool met = runner.cpuMs < kGoalMs;
    std::printf("goal: under %.0f ms -> %s\n", kGoalMs, met ? "met" : "MISSED");
    return met ? 0 : 1;
}
