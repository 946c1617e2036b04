#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "AdvanceSystem.h"
#include "ArgumentRules.h"
#include "PlatformTestKit.h"

namespace {

using platform_test::ProgramFolderTest;
using Chunks = std::vector<std::string>;

class RunnerTest : public ProgramFolderTest {
  protected:
    struct TRun {
        TRunResult result;
        Chunks chunks;
    };
    // Runs the line "<encoder> args"; program known unless findProgram.
    TRun Run(const std::string& args, bool findProgram = false) {
        return RunLine(findProgram ? "" : encoder_, encoder_ + " " + args);
    }
    TRun RunLine(const std::string& program, const std::string& line) {
        TRun run;
        TAdvanceSystem runner(folder_, 1);
        run.result = runner.RunProcess(
            program, line, [&](const std::string& chunk) { run.chunks.push_back(chunk); });
        return run;
    }
    // The "key=value" lines of the stand-in's report.
    static std::map<std::string, std::string> Report(const Chunks& chunks) {
        std::map<std::string, std::string> values;
        std::string all;
        for (const auto& c : chunks) all += c;
        std::istringstream in(all);
        std::string line;
        while (std::getline(in, line)) {
            const std::size_t sep = line.find_first_of("=:");
            if (sep != std::string::npos) values[line.substr(0, sep)] = line.substr(sep + 1);
        }
        return values;
    }
};

TEST_F(RunnerTest, OutputReachesTheCallbackByTheReadRules) {
    const struct {
        const char* args;
        Chunks expected;
    } cases[] = {
        {"silent", {}},
        {"write 300", {std::string(300, 'a')}},
        {"write 1023", {std::string(1023, 'a')}},
        // Several blocks at once: only the last reaches the callback.
        {"write 2500", {std::string(454, 'c')}},
        // Ends right after a full second block: nothing more is waited for.
        {"write 2046", {std::string(1023, 'b')}},
        {"zero", {"abc"}},
        {"twice", {"one", "two"}},
    };
    for (const auto& c : cases) {
        const TRun run = Run(c.args);
        EXPECT_TRUE(run.result.Succeeded()) << c.args;
        EXPECT_EQ(run.chunks, c.expected) << c.args;
    }
}

TEST_F(RunnerTest, HowTheChildEndedIsReported) {
    const struct {
        const char* args;
        bool exited;
        int status;
        int signal;
    } cases[] = {
        {"exit 0", true, 0, 0},
        {"exit 7", true, 7, 0},
        {"term", false, -1, SIGTERM},
    };
    for (const auto& c : cases) {
        const TRunResult r = Run(c.args).result;
        EXPECT_TRUE(r.Started) << c.args;
        EXPECT_EQ(r.Exited, c.exited) << c.args;
        EXPECT_EQ(r.ExitStatus, c.status) << c.args;
        EXPECT_EQ(r.TermSignal, c.signal) << c.args;
    }
}

TEST_F(RunnerTest, LineWithoutAnExecutableStartsNothing) {
    std::filesystem::permissions(folder_ + "kodra", std::filesystem::perms::owner_read);
    const struct {
        std::string program;
        std::string line;
    } cases[] = {
        {"", ""},
        {"", folder_ + "kodra silent"},  // not executable
        {"", folder_ + "missing silent"},
        {"", folder_ + " silent"},  // a folder
        {"", "\"" + folder_ + "\" silent"},
        {folder_ + "kodra", folder_ + "kodra silent"},
        {folder_ + "missing", folder_ + "missing silent"},
    };
    for (const auto& c : cases) {
        const TRun run = RunLine(c.program, c.line);
        EXPECT_FALSE(run.result.Started) << c.line;
        EXPECT_TRUE(run.chunks.empty()) << c.line;
    }
}

TEST_F(RunnerTest, ArgumentsArriveExactlyWithoutAShell) {
    const std::vector<std::string> args = {
        "args", "a b", "\"quoted\"", "$(touch pwned)",         "`touch pwned`", ";", "&&",
        "|",    "-y",  "",           "\xc3\xa9t\xc3\xa9 \xff", "back\\slash\\", "*",
    };
    std::string line;
    for (const std::string& a : args) line += " \"" + EscapeQuotedArgument(a) + "\"";
    for (const bool findProgram : {false, true}) {
        const TRun run = Run(line.substr(1), findProgram);
        ASSERT_EQ(run.chunks.size(), 1u);
        std::vector<std::string> argv;
        std::istringstream in(run.chunks[0]);
        std::string a;
        while (std::getline(in, a, '\x1f')) argv.push_back(a);
        std::vector<std::string> expected = {encoder_};
        expected.insert(expected.end(), args.begin(), args.end());
        EXPECT_EQ(argv, expected) << (findProgram ? "found" : "known");
    }
    EXPECT_FALSE(std::filesystem::exists(folder_ + "pwned"));
}

TEST_F(RunnerTest, KnownProgramIsStartedEvenWhenAShorterPrefixIsExecutable) {
    std::filesystem::copy_file(ORV_FAKE_ENCODER, root_ + "my");
    EXPECT_EQ(Run("exe").chunks, Chunks{encoder_});
    // Found from the line alone, the shortest executable prefix wins (and
    // takes the rest of the path as its first argument).
    EXPECT_EQ(Run("exe", true).chunks, Chunks{root_ + "my"});
}

TEST_F(RunnerTest, ChildStartsCleanInTheProgramFolder) {
    // What a Qt or GStreamer thread may have done to this process.
    sigset_t blocked, previousMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    sigaddset(&blocked, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &blocked, &previousMask);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previousUsr2 {
    }, previousPipe{};
    sigaction(SIGUSR2, &ignore, &previousUsr2);
    sigaction(SIGPIPE, &ignore, &previousPipe);
    const int inherited = open("/dev/null", O_RDONLY);  // no close-on-exec

    const TRun run = Run("env");

    close(inherited);
    sigaction(SIGPIPE, &previousPipe, nullptr);
    sigaction(SIGUSR2, &previousUsr2, nullptr);
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);

    auto report = Report(run.chunks);
    EXPECT_EQ(report["cwd"], folder_.substr(0, folder_.size() - 1));
    EXPECT_EQ(report["session"], "own");
    EXPECT_EQ(report["SigBlk"], "\t0000000000000000");
    // The C library keeps its two internal signals (32 and 33) ignored in
    // the child, out of reach of posix_spawn; every other one is default.
    const unsigned long long ignored = std::stoull(report["SigIgn"], nullptr, 16);
    EXPECT_EQ(ignored & ~0x180000000ULL, 0u) << report["SigIgn"];
    EXPECT_EQ(report["fds"], "0,1,2");
    EXPECT_EQ(report["fd0"].rfind("pipe:", 0), 0u) << report["fd0"];
    EXPECT_EQ(report["fd1"].rfind("pipe:", 0), 0u) << report["fd1"];
    EXPECT_EQ(report["fd1"], report["fd2"]);
    EXPECT_NE(report["fd0"], report["fd1"]);
}

TEST_F(RunnerTest, ClosedStandardInputOfTheProgramStillGivesTheChildItsPipes) {
    const int savedStdin = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 10);
    ASSERT_GE(savedStdin, 0);
    close(STDIN_FILENO);
    const TRun run = Run("env");
    dup2(savedStdin, STDIN_FILENO);
    close(savedStdin);

    auto report = Report(run.chunks);
    EXPECT_EQ(report["fds"], "0,1,2");
    EXPECT_EQ(report["fd0"].rfind("pipe:", 0), 0u) << report["fd0"];
    EXPECT_EQ(report["fd1"], report["fd2"]);
    EXPECT_NE(report["fd0"], report["fd1"]);
}

TEST_F(RunnerTest, CallbackThatThrowsLeavesNoChildBehind) {
    int pid = 0;
    TAdvanceSystem runner(folder_, 1);
    EXPECT_THROW(runner.RunProcess(encoder_, encoder_ + " pid-then-wait",
                                   [&](const std::string& chunk) {
                                       pid = std::stoi(chunk);
                                       throw std::runtime_error("handler failed");
                                   }),
                 std::runtime_error);
    ASSERT_GT(pid, 0);
    // Reaped, not a zombie: the id is gone from the process list.
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid)));
}

}  // namespace
