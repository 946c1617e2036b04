// The source list: adding probed files, the duplicate and extension tests,
// removing rows with the focus rule, the dialog's filter and the remembered
// folder. Durations come from a scripted probe; sizes from real files.
#include <fnmatch.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Errors.h"
#include "Forms.h"
#include "Ports.h"
#include "UnitCustomProc.h"
#include "Unit_CommonLib.h"

namespace {

namespace fs = std::filesystem;

const std::string kWarning = "Files reading error! Please check your files.";

class ScriptedProbe : public IMediaProbe {
  public:
    std::map<std::string, int64_t> Durations;  // missing: cannot be probed
    std::vector<std::string> Probed;
    bool Throws = false;
    int64_t DurationMs(const std::string& path) override {
        Probed.push_back(path);
        if (Throws) throw std::runtime_error("probe failed");
        auto it = Durations.find(path);
        return it == Durations.end() ? -1 : it->second;
    }
};

class RecordingMessages : public IMessages {
  public:
    std::vector<std::string> Shown;  // "kind text"
    bool ShowMsg(const std::string& text, int kind) override {
        Shown.push_back(std::to_string(kind) + " " + text);
        return true;
    }
    int ShowInfoMsg(const std::string&, int) override { return mbOK; }
    bool AskYesNo(const std::string&) override { return false; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    void ShowError(const std::string&) override {}
};

class ScriptedDialogs : public IFileDialogs {
  public:
    std::vector<std::vector<std::string>> Answers;  // one per use; empty: cancel
    std::vector<std::string> InitialFolders;
    std::vector<TFileFilter> LastFilters;
    std::vector<std::string> OpenFiles(const std::string& initialFolder,
                                       const std::vector<TFileFilter>& filters) override {
        InitialFolders.push_back(initialFolder);
        LastFilters = filters;
        if (Answers.empty()) return {};
        auto answer = Answers.front();
        Answers.erase(Answers.begin());
        return answer;
    }
    std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
};

class HookedPump : public IEventPump {
  public:
    int Passes = 0;
    std::function<void(int pass)> OnPass;  // what other handlers do meanwhile
    void ProcessMessages() override {
        ++Passes;
        if (OnPass) OnPass(Passes);
    }
    void Sleep(int) override {}
};

// A preview that is always playing, so each stop is seen.
class StopCountingPlayer : public IPlayer {
  public:
    int Stops = 0;
    bool Open(const std::string&) override { return true; }
    bool IsActive() const override { return true; }
    void Run() override {}
    void Pause() override {}
    void Stop() override { ++Stops; }
    void Close() override {}
    int64_t PositionMs() const override { return 0; }
    int64_t DurationMs() const override { return 0; }
    void SeekMs(int64_t) override {}
};

class UpdateJournal : public ISourceListListener {
  public:
    std::vector<std::string> Events;
    bool ThrowOnReset = false;
    void RowsAboutToBeRemoved(int first, int) override {
        Events.push_back("delete " + std::to_string(first));
    }
    void UpdatesSuspended(bool suspended) override {
        Events.push_back(suspended ? "suspend" : "resume");
    }
    void AboutToReset() override {
        if (ThrowOnReset) throw std::runtime_error("view refused");
    }
};

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class SourceFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/orv-sources-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        appPath_ = root_ + "/app/";
        media_ = root_ + "/media/";
        fs::create_directories(appPath_ + "Config");
        fs::create_directories(media_);
        fs::create_directories(root_ + "/home");
        const char* home = getenv("HOME");
        if (home) savedHome_ = home;
        setenv("HOME", (root_ + "/home").c_str(), 1);

        ports_.Probe = &probe_;
        ports_.Messages = &messages_;
        ports_.Dialogs = &dialogs_;
        ports_.Pump = &pump_;
        ports_.Player = &player_;
        lib_.AppPath = appPath_;
    }
    void TearDown() override {
        if (savedHome_)
            setenv("HOME", savedHome_->c_str(), 1);
        else
            unsetenv("HOME");
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // A file of the given size in the media folder that probes to ms.
    std::string Media(const std::string& name, int64_t ms, size_t bytes = 100) {
        const std::string path = media_ + name;
        std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
        probe_.Durations[path] = ms;
        return path;
    }

    TSourceList& List() { return forms_.FrmMainForm.dxTreeSourceFileInfo; }
    std::vector<std::string> Paths() {
        std::vector<std::string> paths;
        for (int r = 0; r < List().RowCount(); ++r) paths.push_back(List().Text(r, colFileName));
        return paths;
    }
    std::string SettingsFile() const { return appPath_ + "Config/UserSettings.ini"; }

    std::string root_, appPath_, media_;
    std::optional<std::string> savedHome_;
    ScriptedProbe probe_;
    RecordingMessages messages_;
    ScriptedDialogs dialogs_;
    HookedPump pump_;
    StopCountingPlayer player_;
    TPorts ports_;
    TForms forms_;
    TCommonLib lib_{"", ports_};
    TCustomProc proc_{lib_, forms_};
};

// --- Adding

TEST_F(SourceFilesTest, NewRowHoldsItsSevenTexts) {
    const std::string path = Media("talk.avi", 95'000, 1536);
    proc_.WMDropFiles({path});
    ASSERT_EQ(List().RowCount(), 1);
    const TSourceList::Row expected{"True",     path,       "1.5 KB",  "00:01:35",
                                    "00:00:00", "00:01:35", "00:01:35"};
    EXPECT_EQ(List().RowAt(0), expected);
    EXPECT_TRUE(messages_.Shown.empty());
}

TEST_F(SourceFilesTest, ProbeResultDecidesBetweenRowAndWarning) {
    struct Case {
        int64_t ms;
        const char* duration;  // nullptr: refused with the warning
    };
    const Case cases[] = {
        {-1, nullptr},      {0, nullptr},       {500, nullptr},          {999, nullptr},
        {1000, "00:00:01"}, {1900, "00:00:01"}, {3'725'000, "01:02:05"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms);
        List().Clear();
        messages_.Shown.clear();
        proc_.WMDropFiles({Media("clip.mp4", c.ms)});
        if (c.duration) {
            ASSERT_EQ(List().RowCount(), 1);
            EXPECT_EQ(List().Text(0, colDuration), c.duration);
            EXPECT_EQ(List().Text(0, colEndTime), c.duration);
            EXPECT_TRUE(messages_.Shown.empty());
        } else {
            EXPECT_EQ(List().RowCount(), 0);
            EXPECT_EQ(messages_.Shown, std::vector<std::string>{"1 " + kWarning});
        }
    }
}

TEST_F(SourceFilesTest, EachUnreadableFileWarnsOnItsOwnAndTheOthersAreAdded) {
    const std::string bad1 = Media("bad1.avi", -1);
    const std::string good = Media("good.avi", 5000);
    const std::string bad2 = Media("bad2.wmv", -1);
    const std::string bad3 = Media("bad3.mov", 400);
    proc_.WMDropFiles({bad1, good, bad2, bad3});
    EXPECT_EQ(Paths(), std::vector<std::string>{good});
    EXPECT_EQ(messages_.Shown, std::vector<std::string>(3, "1 " + kWarning));
}

TEST_F(SourceFilesTest, ProbeThatThrowsCountsAsUnreadable) {
    probe_.Throws = true;
    proc_.WMDropFiles({Media("odd.flv", 5000)});
    EXPECT_EQ(List().RowCount(), 0);
    EXPECT_EQ(messages_.Shown, std::vector<std::string>{"1 " + kWarning});
}

// The probe says yes, but the size cannot be read: no row, same warning,
// and nothing opened that could block.
TEST_F(SourceFilesTest, FileWhoseSizeCannotBeReadGetsNoRow) {
    const std::string gone = media_ + "gone.mp4";
    const std::string fifo = media_ + "pipe.mp4";
    const std::string folder = media_ + "folder.avi";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(folder);
    for (const auto& path : {gone, fifo, folder}) probe_.Durations[path] = 5000;

    proc_.WMDropFiles({gone, fifo, folder});
    EXPECT_EQ(List().RowCount(), 0);
    EXPECT_EQ(messages_.Shown, std::vector<std::string>(3, "1 " + kWarning));
    EXPECT_EQ(lib_.GetSourceFileSize(gone), -1);
    EXPECT_EQ(lib_.GetSourceFileSize(Media("empty.mp4", 0, 0)), 0);
}

TEST_F(SourceFilesTest, UnacceptedNamesAreSkippedSilentlyWithoutProbing) {
    const std::string folder = media_ + "Videos";
    fs::create_directory(folder);
    const std::vector<std::string> paths = {
        folder,
        Media("notes.txt", 5000),
        Media("movie.mkv", 5000),
        Media("README", 5000),
        Media("clip.avi.txt", 5000),
        Media("clip.", 5000),
    };
    proc_.WMDropFiles(paths);
    EXPECT_EQ(List().RowCount(), 0);
    EXPECT_TRUE(messages_.Shown.empty());
    EXPECT_TRUE(probe_.Probed.empty());
}

TEST(SourceFilesExtension, AcceptedWithoutRegardToLetterCase) {
    const std::pair<const char*, bool> cases[] = {
        {"/v/a.3gp", true},   {"/v/a.3G2", true},  {"/v/a.AVI", true},
        {"/v/a.M4v", true},   {"/v/a.mp4", true},  {"/v/a.MPEG", true},
        {"/v/a.mpg", true},   {"/v/a.asf", true},  {"/v/a.MOV", true},
        {"/v/a.wmv", true},   {"/v/a.Vob", true},  {"/v/a.rm", true},
        {"/v/a.RMVB", true},  {"/v/a.flv", true},  {"/v/a.SWF", true},
        {"/v/a.b.avi", true}, {"/v/a.mkv", false}, {"/v/a.avi.bak", false},
        {"/v/a.mp4 ", false}, {"/v/avi", false},   {"/v.avi/clip", false},
        {"", false},          {"/v/a.r", false},   {"/v/a.mpeg4", false},
    };
    for (const auto& [path, accepted] : cases) {
        EXPECT_EQ(TCommonLib::IsAcceptedSourceFile(path), accepted) << path;
    }
}

TEST_F(SourceFilesTest, OddCharactersInPathsAreKeptExactly) {
    const std::string odd = Media("a b 'q' \"dq\" $(x);&|*? \xC3\xA9\xE6\x97\xA5.mp4", 3000, 2048);
    proc_.WMDropFiles({odd});
    ASSERT_EQ(List().RowCount(), 1);
    EXPECT_EQ(List().Text(0, colFileName), odd);
    EXPECT_EQ(List().Text(0, colFileSize), "2 KB");
}

TEST_F(SourceFilesTest, LongDroppedPathIsTakenWhole) {
    const std::string deep = media_ + std::string(200, 'd') + "/" + std::string(200, 'e');
    fs::create_directories(deep);
    const std::string path = deep + "/clip.mp4";
    std::ofstream(path) << "x";
    probe_.Durations[path] = 2000;
    ASSERT_GT(path.size(), 400u);
    proc_.WMDropFiles({path});
    EXPECT_EQ(Paths(), std::vector<std::string>{path});
}

// --- Duplicates

TEST_F(SourceFilesTest, DropKeepsOneRowPerPathAndLetterCaseMakesAnother) {
    const std::string a = Media("clip.avi", 4000);
    const std::string upper = Media("Clip.avi", 4000);
    const std::string b = Media("other.mp4", 4000);

    proc_.WMDropFiles({a, a, b, a});
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b}));
    proc_.WMDropFiles({b, upper, a});
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b, upper}));
    EXPECT_TRUE(messages_.Shown.empty());
    // A path already in the list is not probed again.
    EXPECT_EQ(probe_.Probed, (std::vector<std::string>{a, b, upper}));
}

TEST_F(SourceFilesTest, DialogKeepsOneRowPerPath) {
    const std::string a = Media("clip.avi", 4000);
    const std::string b = Media("other.mp4", 4000);
    dialogs_.Answers = {{a, b, a}, {b}};
    proc_.btnOpenFileClick();
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b}));
    proc_.btnOpenFileClick();
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b}));
    EXPECT_TRUE(messages_.Shown.empty());
}

TEST(SourceFilesDuplicates, ExactRepeatsLeaveInFirstOrder) {
    EXPECT_EQ(TCommonLib::RemoveDuplicates({"b", "a", "B", "b", "a", "", ""}),
              (std::vector<std::string>{"b", "a", "B", ""}));
    EXPECT_TRUE(TCommonLib::RemoveDuplicates({}).empty());
}

// --- The dialog

TEST_F(SourceFilesTest, DialogGetsTheElevenFiltersInOrder) {
    dialogs_.Answers = {{}};
    proc_.btnOpenFileClick();
    const std::vector<std::string> descriptions = {
        "Supported Files",         "3GP, 3G2 Files (*.3gp,*.3g2)",
        "AVI Files (*.avi)",       "ASF Files (*.asf)",
        "MOV Files (*.mov)",       "FLV ,SWF Flash Video (*.flv,swf)",
        "MP4 File (*.mp4,*.m4v)",  "MPEG Files (*.mpeg,*.mpg)",
        "RM, RMVB (*.rm,*.rmvb)",  "VOB Video Files (*.vob)",
        "WMV Video Files (*.wmv)",
    };
    const auto& filters = dialogs_.LastFilters;
    ASSERT_EQ(filters.size(), descriptions.size());
    for (size_t i = 0; i < filters.size(); ++i) EXPECT_EQ(filters[i].Description, descriptions[i]);
    EXPECT_EQ(filters[1].Patterns, std::vector<std::string>{"*.3[gG][pP]"});
    EXPECT_EQ(filters[5].Patterns, (std::vector<std::string>{"*.[fF][lL][vV]", "*.[sS][wW][fF]"}));
    EXPECT_EQ(filters[0].Patterns.size(), 15u);
}

// The dialog must show every file the extension test accepts, in either
// letter case, and hide the others.
TEST(SourceFilesFilter, SupportedPatternsMatchLikeTheExtensionTest) {
    const auto filters = TCommonLib::SourceFileFilters();
    auto shown = [&](const std::string& name) {
        for (const auto& pattern : filters.at(0).Patterns) {
            if (fnmatch(pattern.c_str(), name.c_str(), 0) == 0) return true;
        }
        return false;
    };
    for (const char* name : {"CLIP.AVI", "clip.avi", "Clip.Mp4", "x.3GP", "x.3g2", "x.RMVB", "x.rm",
                             "x.MPEG", "x.vob", "x.Swf", "x.mkv", "x.avi.txt", "avi"}) {
        EXPECT_EQ(shown(name), TCommonLib::IsAcceptedSourceFile(name)) << name;
    }
}

TEST_F(SourceFilesTest, CancelAddsNothingAndKeepsTheLastChoice) {
    const std::string a = Media("clip.avi", 4000);
    dialogs_.Answers = {{a}, {}};
    proc_.btnOpenFileClick();
    proc_.btnOpenFileClick();
    EXPECT_EQ(Paths(), std::vector<std::string>{a});
    EXPECT_EQ(lib_.DialogFileName, a);
    EXPECT_EQ(dialogs_.InitialFolders.back(), media_);
}

// --- The remembered folder

TEST_F(SourceFilesTest, RememberedFolderOutlivesARestart) {
    EXPECT_EQ(proc_.ReadInitDir(), root_ + "/home/");
    dialogs_.Answers = {{Media("clip.avi", 4000), Media("b.mp4", 4000)}};
    proc_.btnOpenFileClick();
    EXPECT_EQ(dialogs_.InitialFolders, std::vector<std::string>{root_ + "/home/"});
    EXPECT_EQ(ReadBytes(SettingsFile()), "\r\n[USRInfo]\r\nInitDir=" + media_ + "\r\n");

    TCommonLib lib2(appPath_, ports_);
    TForms forms2;
    TCustomProc proc2(lib2, forms2);
    dialogs_.Answers = {{}};
    proc2.btnOpenFileClick();
    EXPECT_EQ(dialogs_.InitialFolders.back(), media_);
    EXPECT_EQ(forms2.FrmMainForm.dxTreeSourceFileInfo.RowCount(), 0);
}

TEST_F(SourceFilesTest, FolderWithALineBreakIsNotRemembered) {
    lib_.DialogFileName = media_ + "clip.avi";
    proc_.SaveInitDir();
    const std::string before = ReadBytes(SettingsFile());
    for (const char* folder : {"/v/a\nb/", "/v/a\rb/", "/v/a\r\n[X]\r\nInitDir=/etc/"}) {
        lib_.DialogFileName = std::string(folder) + "clip.avi";
        proc_.SaveInitDir();
        EXPECT_EQ(ReadBytes(SettingsFile()), before);
    }
    EXPECT_EQ(proc_.ReadInitDir(), media_);
}

TEST_F(SourceFilesTest, NameWithoutFolderPartWritesNothing) {
    lib_.DialogFileName = "clip.avi";
    proc_.SaveInitDir();
    lib_.DialogFileName.clear();
    proc_.SaveInitDir();
    EXPECT_FALSE(fs::exists(SettingsFile()));
}

// The program never creates Config/: reading falls back to the home folder,
// and the failed write reaches the caller after the files were added.
TEST_F(SourceFilesTest, MissingConfigFolder) {
    fs::remove(appPath_ + "Config");
    EXPECT_EQ(proc_.ReadInitDir(), root_ + "/home/");
    dialogs_.Answers = {{Media("clip.avi", 4000)}};
    EXPECT_THROW(proc_.btnOpenFileClick(), EFCreateError);
    EXPECT_EQ(List().RowCount(), 1);
}

// --- Removing

struct RemoveCase {
    const char* name;
    int focused;
    std::vector<int> selected;
    std::vector<std::string> remaining;
    const char* focusedAfter;  // nullptr: no row focused or selected
};

TEST_F(SourceFilesTest, RemoveSelectedRowsFocusesTheRowBeforeTheFocusedOne) {
    const RemoveCase cases[] = {
        {"second and third go, the remembered row with them",
         2,
         {1, 2},
         {"r0", "r3", "r4"},
         nullptr},
        {"third goes, second takes the focus", 2, {2}, {"r0", "r1", "r3", "r4"}, "r1"},
        {"first focused: nothing before it", 0, {0}, {"r1", "r2", "r3", "r4"}, nullptr},
        {"rows before the remembered one shift it", 4, {0, 4}, {"r1", "r2", "r3"}, "r3"},
        {"focused row stays when not selected", 3, {0}, {"r1", "r2", "r3", "r4"}, "r2"},
        {"no focused row", -1, {1, 3}, {"r0", "r2", "r4"}, nullptr},
        {"nothing selected", 2, {}, {"r0", "r1", "r2", "r3", "r4"}, "r2"},
    };
    for (const RemoveCase& c : cases) {
        SCOPED_TRACE(c.name);
        List().Clear();
        for (int i = 0; i < 5; ++i) List().Append({"True", "r" + std::to_string(i)});
        List().SetFocusedRow(c.focused);
        for (int row : c.selected) List().SetSelected(row, true);

        lib_.RemoveSelectedRows(List());
        EXPECT_EQ(Paths(), c.remaining);
        if (c.focusedAfter) {
            ASSERT_GE(List().FocusedRow(), 0);
            EXPECT_EQ(List().Text(List().FocusedRow(), colFileName), c.focusedAfter);
        } else {
            EXPECT_EQ(List().FocusedRow(), -1);
        }
        const int expectedSelected = c.selected.empty() || !c.focusedAfter ? 0 : 1;
        EXPECT_EQ(List().SelectedCount(), expectedSelected);
        if (expectedSelected == 1) {
            EXPECT_TRUE(List().IsSelected(List().FocusedRow()));
        }
    }
}

TEST_F(SourceFilesTest, RemovalLetsMessagesThroughWithRepaintingSuspended) {
    UpdateJournal journal;
    for (int i = 0; i < 4; ++i) List().Append({"True", "r" + std::to_string(i)});
    List().SetListener(&journal);
    List().SetSelected(1, true);
    List().SetSelected(3, true);
    pump_.OnPass = [&](int) { journal.Events.push_back("pump"); };

    lib_.RemoveSelectedRows(List());
    EXPECT_EQ(journal.Events, (std::vector<std::string>{"pump", "suspend", "pump", "delete 1",
                                                        "pump", "delete 2", "resume"}));
    List().SetListener(nullptr);

    pump_.Passes = 0;
    lib_.RemoveSelectedRows(List());
    EXPECT_EQ(pump_.Passes, 0);
}

// Handlers that run while messages are let through may change the rows;
// the remembered row is still the one that gets the focus.
TEST_F(SourceFilesTest, RowsChangedMeanwhileDoNotMisplaceTheFocus) {
    for (int i = 0; i < 5; ++i) List().Append({"True", "r" + std::to_string(i)});
    List().SetFocusedRow(3);
    List().SetSelected(3, true);
    pump_.OnPass = [&](int pass) {
        if (pass == 2) List().Delete(0);
    };
    lib_.RemoveSelectedRows(List());
    EXPECT_EQ(Paths(), (std::vector<std::string>{"r1", "r2", "r4"}));
    ASSERT_GE(List().FocusedRow(), 0);
    EXPECT_EQ(List().Text(List().FocusedRow(), colFileName), "r2");
}

TEST_F(SourceFilesTest, ErrorDuringRemovalStillFocusesAndResumesRepainting) {
    UpdateJournal journal;
    for (int i = 0; i < 5; ++i) List().Append({"True", "r" + std::to_string(i)});
    List().SetListener(&journal);
    List().SetFocusedRow(3);
    List().SetSelected(0, true);
    List().SetSelected(3, true);
    pump_.OnPass = [&](int pass) {
        if (pass == 3) throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(lib_.RemoveSelectedRows(List()), std::runtime_error);
    List().SetListener(nullptr);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"r1", "r2", "r3", "r4"}));
    EXPECT_EQ(journal.Events.back(), "resume");
    ASSERT_GE(List().FocusedRow(), 0);
    EXPECT_EQ(List().Text(List().FocusedRow(), colFileName), "r2");
    EXPECT_TRUE(List().IsSelected(List().FocusedRow()));
}

// --- The user actions that remove rows, and clearing

TEST_F(SourceFilesTest, ActionsRemoveRowsAndStopThePreview) {
    struct Case {
        const char* name;
        std::function<void(TCustomProc&)> act;
        bool removes;
        bool stops;
    };
    const Case cases[] = {
        {"remove button", [](TCustomProc& p) { p.btnRemoveFileClick(); }, true, true},
        {"Delete key",
         [](TCustomProc& p) { p.dxTreeSourceFileInfoKeyDown(TCustomProc::kVkDelete); }, true, true},
        {"another key", [](TCustomProc& p) { p.dxTreeSourceFileInfoKeyDown(45); }, false, false},
        {"dragged out", [](TCustomProc& p) { p.dxTreeSourceFileInfoEndDrag(false); }, true, true},
        {"dropped on the list", [](TCustomProc& p) { p.dxTreeSourceFileInfoEndDrag(true); }, false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        List().Clear();
        for (int i = 0; i < 3; ++i) List().Append({"True", "r" + std::to_string(i)});
        List().SetSelected(1, true);
        player_.Stops = 0;
        c.act(proc_);
        EXPECT_EQ(List().RowCount(), c.removes ? 2 : 3);
        EXPECT_EQ(player_.Stops, c.stops ? 1 : 0);
    }

    SCOPED_TRACE("nothing selected");
    List().ClearSelection();
    player_.Stops = 0;
    proc_.dxTreeSourceFileInfoKeyDown(TCustomProc::kVkDelete);
    EXPECT_EQ(List().RowCount(), 3);
    EXPECT_EQ(player_.Stops, 1);
    EXPECT_FALSE(TCustomProc::dxTreeSourceFileInfoEditing());
}

TEST_F(SourceFilesTest, ClearingReportsFailureAndStillStopsThePreview) {
    for (int i = 0; i < 3; ++i) List().Append({"True", "r" + std::to_string(i)});
    EXPECT_TRUE(lib_.ClearSourceList(List()));
    EXPECT_EQ(List().RowCount(), 0);

    UpdateJournal journal;
    journal.ThrowOnReset = true;
    List().Append({"True", "r"});
    List().SetListener(&journal);
    EXPECT_FALSE(lib_.ClearSourceList(List()));
    EXPECT_EQ(List().RowCount(), 1);
    proc_.btnClearFileClick();
    List().SetListener(nullptr);
    EXPECT_EQ(player_.Stops, 1);
    EXPECT_TRUE(messages_.Shown.empty());
}

}  // namespace
