#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "FuncObjects.h"
#include "Ports.h"
#include "Unit_CommonLib.h"

namespace fs = std::filesystem;

namespace {

// How a scripted process answers the signals it gets.
enum class Reaction { EndsOnTerm, EndsOnKill, NeverEnds };

struct TScriptedProcess {
    TProcessEntry Entry;
    Reaction Answer = Reaction::EndsOnTerm;
};

// A process list whose members end as their script says; every signal is
// recorded as "term PID" or "kill PID".
class ScriptedTable : public IProcessTable {
  public:
    std::vector<TProcessEntry> Snapshot() override {
        ++snapshots;
        std::vector<TProcessEntry> list;
        for (const auto& p : processes) list.push_back(p.Entry);
        return list;
    }
    bool Terminate(const TProcessEntry& process, bool force) override {
        signals.push_back((force ? "kill " : "term ") + std::to_string(process.Pid));
        auto it = std::find_if(processes.begin(), processes.end(), [&](const TScriptedProcess& p) {
            return p.Entry.Pid == process.Pid;
        });
        if (it == processes.end()) return false;
        if (it->Answer == Reaction::NeverEnds) return false;
        if (it->Answer == Reaction::EndsOnTerm || force) processes.erase(it);
        return true;
    }
    std::vector<TScriptedProcess> processes;
    std::vector<std::string> signals;
    int snapshots = 0;
};

class CountingPump : public IEventPump {
  public:
    void ProcessMessages() override {
        ++pumps;
        if (onPump) onPump();
    }
    void Sleep(int ms) override { slept += ms; }
    int pumps = 0;
    int slept = 0;
    std::function<void()> onPump;
};

class StopEncoderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitFuncObjects();
        std::string pattern = (fs::temp_directory_path() / "orv-stop-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern + "/";
        TAppFunc::SetAppPath(dir_);
        ports_.Processes = &table_;
        ports_.Pump = &pump_;
    }
    void TearDown() override {
        TAppFunc::SetAppPath("");
        TSysFunc::Processes = nullptr;
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void Add(int pid, const std::string& name, Reaction answer = Reaction::EndsOnTerm) {
        table_.processes.push_back({{pid, name}, answer});
    }
    // The messages of log.txt, without their time stamps.
    std::vector<std::string> LogMessages() {
        std::ifstream in(dir_ + "log.txt", std::ios::binary);
        std::vector<std::string> messages;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            messages.push_back(line.substr(line.find('|') + 1));
        }
        return messages;
    }
    int LogCount(const std::string& message) {
        const auto log = LogMessages();
        return static_cast<int>(std::count(log.begin(), log.end(), message));
    }

    std::string dir_;
    ScriptedTable table_;
    CountingPump pump_;
    TPorts ports_;
    TCommonLib lib_{"/opt/orvanel/", ports_};
};

TEST_F(StopEncoderTest, NothingRunningReturnsAtOnceWithTwoFailedLookups) {
    Add(5, "bash");
    lib_.StopEncoder("kodra");
    EXPECT_TRUE(table_.signals.empty());
    EXPECT_EQ(pump_.slept, 0);
    EXPECT_EQ(LogMessages(),
              (std::vector<std::string>{"Get Process id error.", "Get Process id error."}));
}

TEST_F(StopEncoderTest, EveryEncoderOfTheNameIsAskedToEnd) {
    Add(10, "kodra");
    Add(11, "ffmpeg");
    Add(12, "kodra");
    Add(13, "Kodra");  // another program: names are case-sensitive
    lib_.StopEncoder("/opt/my app/kodra");
    EXPECT_EQ(table_.signals, (std::vector<std::string>{"term 10", "term 12"}));
    ASSERT_EQ(table_.processes.size(), 2u);
    EXPECT_EQ(pump_.slept, 100);
    EXPECT_EQ(pump_.pumps, 1);
}

TEST_F(StopEncoderTest, OtherNameIsStoppedFirstThenTheEncoder) {
    Add(20, "kodra");
    Add(21, "worker");
    lib_.StopEncoder("/usr/lib/worker");
    EXPECT_EQ(table_.signals, (std::vector<std::string>{"term 21", "term 20"}));
    EXPECT_TRUE(table_.processes.empty());
}

TEST_F(StopEncoderTest, EncoderDeafToTermIsKilledAfterAboutThreeSeconds) {
    Add(30, "kodra", Reaction::EndsOnKill);
    lib_.StopEncoder("kodra");
    ASSERT_FALSE(table_.signals.empty());
    EXPECT_EQ(table_.signals.back(), "kill 30");
    const auto terms = std::count(table_.signals.begin(), table_.signals.end(), "term 30");
    EXPECT_GE(terms * 100, 2500);
    EXPECT_LE(terms * 100, 3500);
    EXPECT_TRUE(table_.processes.empty());
    EXPECT_EQ(LogCount("Stop encoder error. ->kodra"), 0);
}

TEST_F(StopEncoderTest, UnstoppableEncoderIsGivenUpAfterBoundedAttempts) {
    Add(40, "kodra", Reaction::NeverEnds);
    lib_.StopEncoder("kodra");  // returns: that alone shows the bound
    EXPECT_GE(pump_.slept, 2 * 9000);
    EXPECT_LE(pump_.slept, 2 * 11000);
    EXPECT_EQ(LogCount("Stop encoder error. ->kodra"), 2);
    EXPECT_GT(LogCount("Terminate process error."), 0);
    EXPECT_NE(std::find(table_.signals.begin(), table_.signals.end(), "kill 40"),
              table_.signals.end());
}

TEST_F(StopEncoderTest, MessagesAreProcessedBetweenAttempts) {
    // A handler running inside the stop may start another encoder: it is
    // stopped too before StopEncoder returns.
    Add(50, "kodra");
    bool started = false;
    pump_.onPump = [&] {
        if (!started) Add(51, "kodra");
        started = true;
    };
    lib_.StopEncoder("kodra");
    EXPECT_EQ(table_.signals, (std::vector<std::string>{"term 50", "term 51"}));
    EXPECT_TRUE(table_.processes.empty());
}

TEST_F(StopEncoderTest, LookupTakesTheLaterMatchAndLogsOnlyAMiss) {
    Add(7, "kodra");
    Add(3, "kodra");
    Add(9, "other");
    EXPECT_EQ(lib_.GetProcessIdByName("kodra"), 3);
    EXPECT_EQ(LogCount("Get Process id error."), 0);
    EXPECT_EQ(lib_.GetProcessIdByName("KODRA"), 0);
    EXPECT_EQ(LogCount("Get Process id error."), 1);

    TSysFunc::Processes = &table_;
    EXPECT_EQ(SysFunc->ProcessExists("kodra"), 3);
    EXPECT_EQ(SysFunc->ProcessExists("missing"), 0);
    EXPECT_EQ(LogCount("Get Process id error."), 1);  // ProcessExists logs nothing
    TSysFunc::Processes = nullptr;
    EXPECT_EQ(SysFunc->ProcessExists("kodra"), 0);
}

TEST_F(StopEncoderTest, KillReportsTheLastMatchAndLogsAFailure) {
    Add(60, "kodra");
    Add(61, "/opt/app/kodra");  // an image name with a folder matches by its file name
    Add(62, "kodra", Reaction::NeverEnds);
    EXPECT_FALSE(lib_.KillProcessByName("kodra"));
    EXPECT_EQ(table_.signals, (std::vector<std::string>{"term 60", "term 61", "term 62"}));
    EXPECT_EQ(LogCount("Terminate process error."), 1);

    table_.signals.clear();
    table_.processes = {{{70, "kodra"}, Reaction::NeverEnds},
                        {{71, "kodra"}, Reaction::EndsOnTerm}};
    EXPECT_TRUE(lib_.KillProcessByName("kodra"));
    EXPECT_FALSE(lib_.KillProcessByName("nothing"));
    EXPECT_EQ(LogCount("Terminate process error."), 2);
}

}  // namespace
