// Every kind of file the source list accepts, from the drop to the
// converted file: probed with the real probe, converted by the real encoder
// with the default MP4 profile.
#include <fcntl.h>
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
#include "MediaProbe.h"
#include "ProcessTable.h"
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
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
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
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

struct ClipKind {
    const char* ext;
    std::vector<std::string> output;  // codecs and container
};

// A container ffmpeg writes for each of the fifteen accepted extensions.
const std::vector<ClipKind> kKinds = {
    {".3gp", {"-c:v", "mpeg4", "-c:a", "aac", "-ac", "1", "-ar", "8000", "-f", "3gp"}},
    {".3g2", {"-c:v", "mpeg4", "-c:a", "aac", "-ac", "1", "-ar", "8000", "-f", "3g2"}},
    {".avi", {"-c:v", "mpeg4", "-c:a", "mp3", "-f", "avi"}},
    {".m4v", {"-c:v", "mpeg4", "-c:a", "aac", "-f", "ipod"}},
    {".mp4", {"-c:v", "mpeg4", "-c:a", "aac", "-f", "mp4"}},
    {".mpeg", {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"}},
    {".mpg", {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"}},
    {".asf", {"-c:v", "wmv2", "-c:a", "wmav2", "-f", "asf"}},
    {".mov", {"-c:v", "mpeg4", "-c:a", "aac", "-f", "mov"}},
    {".wmv", {"-c:v", "wmv2", "-c:a", "wmav2", "-f", "asf"}},
    {".vob", {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob"}},
    {".rm", {"-c:v", "rv10", "-c:a", "ac3", "-f", "rm"}},
    {".rmvb", {"-c:v", "rv20", "-c:a", "ac3", "-f", "rm"}},
    {".flv", {"-c:v", "flv1", "-c:a", "mp3", "-f", "flv"}},
    {".swf", {"-c:v", "flv1", "-c:a", "mp3", "-f", "swf"}},
};

class SleepingPump : public IEventPump {
  public:
    void ProcessMessages() override {}
    void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

class RecordingMessages : public IMessages {
  public:
    bool ShowMsg(const std::string& text, int) override {
        shown.push_back(text);
        return true;
    }
    int ShowInfoMsg(const std::string& text, int) override {
        shown.push_back(text);
        return mbOK;
    }
    bool AskYesNo(const std::string&) override { return false; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    void ShowError(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

class NoShutdown : public IShutdown {
  public:
    bool PowerOff() override { return false; }
};

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "orv kinds XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
        path = pattern + "/";
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string path;
};

TEST(IntegrationSourceKinds, EveryAcceptedKindIsAddedAndConverted) {
    const char* appDir = std::getenv("ORV_APP_DIR");
    ASSERT_NE(appDir, nullptr);
    ASSERT_TRUE(IsExecutableFile(std::string(appDir) + kEncoderName)) << appDir;
    TempFolder tmp;

    std::vector<std::string> clips;
    for (const ClipKind& kind : kKinds) {
        // Upper-case names: the extension test ignores letter case.
        std::string ext = kind.ext;
        for (char& c : ext) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        const std::string clip = tmp.path + "kind " + (kind.ext + 1) + ext;
        std::vector<std::string> args = {"ffmpeg",
                                         "-v",
                                         "error",
                                         "-nostdin",
                                         "-y",
                                         "-f",
                                         "lavfi",
                                         "-i",
                                         "testsrc=size=160x128:rate=25:duration=2",
                                         "-f",
                                         "lavfi",
                                         "-i",
                                         "sine=frequency=440:sample_rate=44100:duration=2"};
        args.insert(args.end(), kind.output.begin(), kind.output.end());
        args.push_back(clip);
        ASSERT_EQ(RunTool(args).first, 0) << "ffmpeg could not make " << clip;
        clips.push_back(clip);
    }

    TAppFunc::SetAppPath(tmp.path);
    InitFuncObjects();
    SleepingPump pump;
    RecordingMessages messages;
    NoShutdown shutdown;
    TAdvanceSystem runner(appDir, 20);
    TProcessTable processes;
    TMediaProbe probe;
    TSysFunc::Processes = &processes;
    TPorts ports;
    ports.Pump = &pump;
    ports.Messages = &messages;
    ports.Runner = &runner;
    ports.Processes = &processes;
    ports.Shutdown = &shutdown;
    ports.Probe = &probe;
    TForms forms;
    TCommonLib lib(appDir, ports);
    TCustomProc proc(lib, forms);
    TConvertingLogic logic(proc);
    proc.ConvertingLogic = &logic;
    proc.Pauses = {20, 20, 20};
    proc.FillAllLists();
    proc.ApplyProfile();
    const std::string outFolder = tmp.path + "out";
    forms.FrmMainForm.edtOutputFolder.SetText(outFolder);
    forms.FrmMainForm.chkShowOutputDirectory.SetChecked(false);

    // Dropped all at once, the way a file manager hands them over.
    proc.WMDropFiles(clips);
    TSourceList& list = forms.FrmMainForm.dxTreeSourceFileInfo;
    ASSERT_EQ(list.RowCount(), static_cast<int>(clips.size()));
    for (int row = 0; row < list.RowCount(); ++row) {
        EXPECT_EQ(list.Text(row, colFileName), clips[static_cast<size_t>(row)]);
        EXPECT_EQ(list.Text(row, colDuration), "00:00:02") << clips[static_cast<size_t>(row)];
    }

    proc.CurIndex = 0;
    proc.ConvertFiles(list);
    TAppFunc::SetAppPath("");
    TSysFunc::Processes = nullptr;

    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
    for (const ClipKind& kind : kKinds) {
        const std::string output = outFolder + "/kind " + (kind.ext + 1) + ".mp4";
        SCOPED_TRACE(output);
        ASSERT_TRUE(fs::is_regular_file(output));
        const auto [status, probed] = RunTool({"ffprobe", "-v", "error", "-show_entries",
                                               "stream=codec_name,width,height:format=duration",
                                               "-of", "default=noprint_wrappers=1", output});
        ASSERT_EQ(status, 0) << probed;
        EXPECT_NE(probed.find("codec_name=mpeg4"), std::string::npos) << probed;
        EXPECT_NE(probed.find("codec_name=aac"), std::string::npos) << probed;
        EXPECT_NE(probed.find("width=320\nheight=240"), std::string::npos) << probed;
        const size_t at = probed.find("duration=");
        ASSERT_NE(at, std::string::npos) << probed;
        EXPECT_NEAR(std::stod(probed.substr(at + 9)), 2.0, 0.3) << probed;
    }
}

}  // namespace
