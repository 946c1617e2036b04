// A row trimmed with the markers, through the strip's handlers, converts
// through the real encoder to a file of just the chosen range.
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "AdvanceSystem.h"
#include "ArgumentRules.h"
#include "ConvertingLogic.h"
#include "FuncObjects.h"
#include "ProcessTable.h"
#include "TrimLogic.h"
#include "UnitCustomProc.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Runs a program found on PATH, never through a shell; its exit status and
// what it wrote to standard output.
std::pair<int, std::string> RunTool(const std::vector<std::string>& args) {
    int fds[2];
    if (pipe(fds) != 0) return {-1, {}};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    if (spawned != 0) return {-1, output};
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

struct SleepingPump : IEventPump {
    void ProcessMessages() override {}
    void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

struct RecordingMessages : IMessages {
    std::vector<std::string> Shown;
    bool ShowMsg(const std::string& text, int) override {
        Shown.push_back(text);
        return true;
    }
    int ShowInfoMsg(const std::string& text, int) override {
        Shown.push_back(text);
        return mbOK;
    }
    bool AskYesNo(const std::string&) override { return false; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    void ShowError(const std::string& text) override { Shown.push_back(text); }
};

struct TempFolder {
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "orv trim XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
        Path = pattern + "/";
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
    std::string Path;
};

TEST(IntegrationTrim, MarkersSetTheRangeTheEncoderConverts) {
    const char* appDirText = std::getenv("ORV_APP_DIR");
    ASSERT_NE(appDirText, nullptr);
    const std::string appDir = appDirText;
    ASSERT_TRUE(IsExecutableFile(appDir + kEncoderName)) << appDir;
    TempFolder tmp;
    const std::string clip = tmp.Path + "ten seconds.mkv";
    const auto [made, madeText] = RunTool({"ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "lavfi",
                                           "-i", "testsrc=duration=10:size=160x120:rate=25", "-f",
                                           "lavfi", "-i", "sine=frequency=440:duration=10", "-c:v",
                                           "mpeg4", "-c:a", "aac", "-shortest", clip});
    ASSERT_EQ(made, 0) << madeText;

    SleepingPump pump;
    RecordingMessages messages;
    TAdvanceSystem runner(appDir, 10);
    TProcessTable processes;
    TPorts ports;
    ports.Pump = &pump;
    ports.Messages = &messages;
    ports.Runner = &runner;
    ports.Processes = &processes;
    TAppFunc::SetAppPath(tmp.Path);
    InitFuncObjects();
    TSysFunc::Processes = &processes;
    TForms forms;
    TCommonLib lib(appDir, ports);
    TCustomProc proc(lib, forms);
    TConvertingLogic converting(proc);
    proc.ConvertingLogic = &converting;
    proc.Pauses = {10, 10, 10};
    proc.FillAllLists();
    proc.ApplyProfile();
    forms.FrmMainForm.edtOutputFolder.SetText(tmp.Path + "out");

    TSourceList& list = forms.FrmMainForm.dxTreeSourceFileInfo;
    const int row = list.Append({"True", clip, "", "00:00:10", "00:00:00", "00:00:10", "00:00:10"});
    list.FocusAndSelect(row);
    TTrimLogic trim(proc);
    TTrimStrip& strip = forms.FrmMainForm.Panel1;
    trim.actDxTreeListOnClickExecute();
    // The start marker dragged 50 pixels in: 50 * 121 div 260 = 23 %, 2 s.
    strip.SetPanel2Width(51);
    trim.Splitter1Moved();
    // The end marker nudged 90 pixels back with Shift and the right button:
    // 217 - 91 = 126, 126 * 121 div 260 = 58 %, 5 s.
    for (int i = 0; i < 9; ++i) trim.Panel3MouseDown(TMouseButton::Right, ssShift | ssRight);
    EXPECT_EQ(list.Text(row, colStartTime), "00:00:02");
    EXPECT_EQ(list.Text(row, colEndTime), "00:00:05");
    EXPECT_EQ(list.Text(row, colCutTime), "00:00:03");

    proc.CurIndex = 0;
    proc.ConvertFiles(list);
    TSysFunc::Processes = nullptr;
    TAppFunc::SetAppPath("");

    EXPECT_TRUE(messages.Shown.empty()) << messages.Shown.front();
    const std::string output = tmp.Path + "out/ten seconds.mp4";
    ASSERT_TRUE(fs::is_regular_file(output));
    const auto [probed, probe] =
        RunTool({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of",
                 "default=noprint_wrappers=1:nokey=1", output});
    ASSERT_EQ(probed, 0) << probe;
    EXPECT_NEAR(std::stod(probe), 3.0, 0.3) << probe;
}

}  // namespace
