#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PlatformTestKit.h"
#include "ProcessTable.h"

extern char** environ;

namespace {

using platform_test::ProgramFolderTest;

class ProcessTableTest : public ProgramFolderTest {
  protected:
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        ProgramFolderTest::TearDown();
    }
    // Starts the stand-in encoder directly, so its state is the test's to control.
    pid_t Start(std::vector<std::string> args) {
        args.insert(args.begin(), encoder_);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid_, encoder_.c_str(), nullptr, nullptr, argv.data(), environ), 0);
        return pid_;
    }
    int Reap() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return status;
    }
    static bool Listed(const std::vector<TProcessEntry>& list, pid_t pid, const std::string& name) {
        return std::any_of(list.begin(), list.end(),
                           [&](const TProcessEntry& e) { return e.Pid == pid && e.Name == name; });
    }
    static bool ListedPid(const std::vector<TProcessEntry>& list, pid_t pid) {
        return std::any_of(list.begin(), list.end(),
                           [&](const TProcessEntry& e) { return e.Pid == pid; });
    }

    TProcessTable table_;
    pid_t pid_ = 0;
};

TEST_F(ProcessTableTest, RunningEncoderIsFoundByNameAndAskedToEnd) {
    const pid_t pid = Start({"sleep", "60000"});
    const auto list = table_.Snapshot();
    ASSERT_TRUE(Listed(list, pid, "kodra"));

    // An entry whose name no longer matches is a reused id: left alone.
    EXPECT_FALSE(table_.Terminate({pid, "ffmpeg"}, false));
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0);

    EXPECT_TRUE(table_.Terminate({pid, "kodra"}, false));
    const int status = Reap();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_FALSE(table_.Terminate({pid, "kodra"}, false));  // gone
}

TEST_F(ProcessTableTest, ForcedStopKills) {
    const pid_t pid = Start({"sleep", "60000"});
    EXPECT_TRUE(table_.Terminate({pid, "kodra"}, true));
    const int status = Reap();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
}

TEST_F(ProcessTableTest, ZombieIsNotARunningProcess) {
    const pid_t pid = Start({"exit", "0"});
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT), 0);
    EXPECT_FALSE(ListedPid(table_.Snapshot(), pid));
    EXPECT_FALSE(table_.Terminate({pid, "kodra"}, false));
    Reap();
}

// A process list laid out by hand: other users' processes, zombies and
// entries that are not processes are left out; the rest come in id order.
TEST_F(ProcessTableTest, OnlyTheUsersLiveProcessesAreListed) {
    const std::string proc = root_ + "proc/";
    const auto add = [&](const std::string& pid, const std::string& comm, uid_t uid, char state) {
        std::filesystem::create_directories(proc + pid);
        std::ofstream(proc + pid + "/comm") << comm << "\n";
        std::ofstream(proc + pid + "/status")
            << "Name:\t" << comm << "\nState:\t" << state << " (x)\nTgid:\t" << pid << "\nUid:\t"
            << uid << "\t" << getuid() << "\t" << uid << "\t" << uid << "\n";
    };
    const uid_t me = getuid();
    add("200", "kodra", me, 'S');
    add("100", "kodra", me + 1, 'R');  // another user's, though its effective id is ours
    add("30", "my prog (2)", me, 'R');
    add("300", "kodra", me, 'Z');
    add("400", "kodra", me, 'D');
    add("self", "kodra", me, 'R');
    std::filesystem::create_directories(proc + "500");  // vanished meanwhile

    const auto list = TProcessTable(proc).Snapshot();
    std::vector<std::pair<int, std::string>> got;
    for (const auto& e : list) got.emplace_back(e.Pid, e.Name);
    EXPECT_EQ(got, (std::vector<std::pair<int, std::string>>{
                       {30, "my prog (2)"}, {200, "kodra"}, {400, "kodra"}}));
}

}  // namespace
