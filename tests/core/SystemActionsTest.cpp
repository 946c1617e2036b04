#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Ports.h"
#include "Unit_CommonLib.h"

namespace {

using Journal = std::vector<std::string>;

class JournalMessages : public IMessages {
  public:
    explicit JournalMessages(Journal& j) : journal(j) {}
    bool ShowMsg(const std::string& text, int kind) override {
        journal.push_back("msg " + std::to_string(kind) + " " + text);
        return shown;
    }
    int ShowInfoMsg(const std::string&, int) override { return mbNone; }
    bool AskYesNo(const std::string&) override { return false; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    void ShowError(const std::string&) override {}
    Journal& journal;
    bool shown = true;
};

class JournalPump : public IEventPump {
  public:
    explicit JournalPump(Journal& j) : journal(j) {}
    void ProcessMessages() override { journal.push_back("pump"); }
    void Sleep(int ms) override { journal.push_back("sleep " + std::to_string(ms)); }
    Journal& journal;
};

class JournalMemory : public IMemoryTrim {
  public:
    explicit JournalMemory(Journal& j) : journal(j) {}
    void TrimWorkingSet() override { journal.push_back("trim"); }
    Journal& journal;
};

class JournalShutdown : public IShutdown {
  public:
    explicit JournalShutdown(Journal& j) : journal(j) {}
    bool PowerOff() override {
        journal.push_back("power off");
        return accepted;
    }
    Journal& journal;
    bool accepted = false;
};

class JournalDesktop : public IDesktop {
  public:
    explicit JournalDesktop(Journal& j) : journal(j) {}
    void OpenFolder(const std::string& folder) override { journal.push_back("folder " + folder); }
    void OpenAddress(const std::string&) override {}
    void OpenLocalFile(const std::string&) override {}
    Journal& journal;
};

class SystemActionsTest : public ::testing::Test {
  protected:
    SystemActionsTest() {
        ports_.Messages = &messages_;
        ports_.Pump = &pump_;
        ports_.Memory = &memory_;
        ports_.Shutdown = &shutdown_;
        ports_.Desktop = &desktop_;
    }
    Journal journal_;
    JournalMessages messages_{journal_};
    JournalPump pump_{journal_};
    JournalMemory memory_{journal_};
    JournalShutdown shutdown_{journal_};
    JournalDesktop desktop_{journal_};
    TPorts ports_;
    TCommonLib lib_{"/opt/orvanel/", ports_};
};

TEST_F(SystemActionsTest, MessageKindsOutsideTheTableShowNothing) {
    const struct {
        int kind;
        bool shown;
    } cases[] = {{-1, false}, {0, true}, {1, true}, {2, true}, {3, true}, {4, false}};
    for (const auto& c : cases) {
        journal_.clear();
        EXPECT_EQ(lib_.ShowMsg("The path is invalid.", c.kind), c.shown) << c.kind;
        const Journal expected =
            c.shown ? Journal{"msg " + std::to_string(c.kind) + " The path is invalid."}
                    : Journal{};
        EXPECT_EQ(journal_, expected) << c.kind;
    }

    messages_.shown = false;  // a box that could not be shown
    EXPECT_FALSE(lib_.ShowMsg("x", 1));
}

TEST_F(SystemActionsTest, ClearMemoryTrimsThenLetsMessagesThrough) {
    lib_.ClearMemory();
    EXPECT_EQ(journal_, (Journal{"trim", "pump"}));
}

TEST_F(SystemActionsTest, ShutdownAsksOnceWhateverTheAnswer) {
    lib_.ShutDownComputer();
    EXPECT_EQ(journal_, Journal{"power off"});
    shutdown_.accepted = true;
    EXPECT_TRUE(lib_.PowerOffComputer());
}

TEST_F(SystemActionsTest, FolderIsPassedOnUnchanged) {
    lib_.OpenFolder("/home/u/my videos/\"out\"/");
    lib_.OpenFolder("/does/not/exist/");
    EXPECT_EQ(journal_, (Journal{"folder /home/u/my videos/\"out\"/", "folder /does/not/exist/"}));
}

}  // namespace
