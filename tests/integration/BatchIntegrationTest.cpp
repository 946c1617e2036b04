// Whole batches through the real process runner and process list.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "AdvanceSystem.h"
#include "ArgumentRules.h"
#include "ConvertingLogic.h"
#include "FuncObjects.h"
#include "IntegrationDoubles.h"
#include "MediaFixtures.h"
#include "ProcessTable.h"
#include "UnitCustomProc.h"

namespace fs = std::filesystem;

namespace {

using integration::SleepingPump;

class RecordingMessages : public IMessages {
  public:
    bool ShowMsg(const std::string& text, int) override {
        shown.push_back(text);
        return true;
    }
    int ShowInfoMsg(const std::string&, int) override { return mbOK; }
    bool AskYesNo(const std::string&) override { return false; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    void ShowError(const std::string&) override {}
    std::vector<std::string> shown;
};

class NoShutdown : public IShutdown {
  public:
    bool PowerOff() override {
        ++requests;
        return false;
    }
    int requests = 0;
};

// The shared objects over a program folder, with the real runner and
// process list and a log in a folder of the test's own.
class BatchWorld {
  public:
    BatchWorld(const std::string& programFolder, const std::string& logFolder,
               int chunkPauseMs = TAdvanceSystem::kChunkPauseMs)
        : runner(programFolder, chunkPauseMs) {
        TAppFunc::SetAppPath(logFolder);
        InitFuncObjects();
        TSysFunc::Processes = &processes;
        ports.Pump = &pump;
        ports.Messages = &messages;
        ports.Runner = &runner;
        ports.Processes = &processes;
        ports.Shutdown = &shutdown;
        lib = std::make_unique<TCommonLib>(programFolder, ports);
        proc = std::make_unique<TCustomProc>(*lib, forms);
        logic = std::make_unique<TConvertingLogic>(*proc);
        proc->ConvertingLogic = logic.get();
        proc->FillAllLists();
        proc->ApplyProfile();
    }
    ~BatchWorld() {
        TAppFunc::SetAppPath("");
        TSysFunc::Processes = nullptr;
    }
    void AddRow(const std::string& path, const std::string& start, const std::string& end) {
        forms.FrmMainForm.dxTreeSourceFileInfo.Append({"True", path, "", "", start, end, ""});
    }
    void Convert() {
        proc->CurIndex = 0;
        proc->ConvertFiles(forms.FrmMainForm.dxTreeSourceFileInfo);
    }
    bool EncoderRunning() {
        for (const TProcessEntry& e : processes.Snapshot())
            if (e.Name == kEncoderName) return true;
        return false;
    }

    SleepingPump pump;
    RecordingMessages messages;
    NoShutdown shutdown;
    TAdvanceSystem runner;
    TProcessTable processes;
    TPorts ports;
    TForms forms;
    std::unique_ptr<TCommonLib> lib;
    std::unique_ptr<TCustomProc> proc;
    std::unique_ptr<TConvertingLogic> logic;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int CountOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The designed pauses, the real encoder and two generated clips, one of
// them trimmed to its second second.
TEST(IntegrationBatch, ConvertsTwoClipsWithTheRealEncoder) {
    const char* appDir = std::getenv("ORV_APP_DIR");
    ASSERT_NE(appDir, nullptr);
    ASSERT_TRUE(IsExecutableFile(std::string(appDir) + kEncoderName)) << appDir;
    TempFolder tmp("orv batch ");
    const std::vector<std::string> clips = {tmp.path + "clip one.mkv", tmp.path + "clip 'two'.mkv"};
    for (const std::string& clip : clips) {
        const auto [status, out] =
            MakeClip(clip, "320x240", "3", {"-c:v", "mpeg4", "-c:a", "aac", "-shortest"});
        ASSERT_EQ(status, 0) << "ffmpeg could not make " << clip;
    }

    BatchWorld w(appDir, tmp.path);
    w.forms.FrmMainForm.edtOutputFolder.SetText(tmp.path + "out put");
    w.AddRow(clips[0], "00:00:00", "00:00:03");
    w.AddRow(clips[1], "00:00:01", "00:00:02");
    w.Convert();

    EXPECT_TRUE(w.messages.shown.empty()) << w.messages.shown.front();
    EXPECT_FALSE(w.EncoderRunning());
    EXPECT_EQ(CountOf(ReadFile(tmp.path + "log.txt"), "|parameter: " + std::string(appDir)), 2);
    // Progress lines of the encoder reached the window.
    EXPECT_NE(w.forms.frmConverting.statState.Text().find("time="), std::string::npos);

    const struct {
        std::string path;
        double seconds;
    } outputs[] = {{tmp.path + "out put/clip one.mp4", 3.0},
                   {tmp.path + "out put/clip 'two'.mp4", 1.0}};
    for (const auto& o : outputs) {
        SCOPED_TRACE(o.path);
        ASSERT_TRUE(fs::is_regular_file(o.path));
        const auto [status, probe] = ProbeEntries(o.path, "stream=codec_name:format=duration");
        ASSERT_EQ(status, 0) << probe;
        EXPECT_NE(probe.find("codec_name=mpeg4"), std::string::npos) << probe;
        EXPECT_NE(probe.find("codec_name=aac"), std::string::npos) << probe;
        const size_t at = probe.find("duration=");
        ASSERT_NE(at, std::string::npos) << probe;
        EXPECT_NEAR(std::stod(probe.substr(at + 9)), o.seconds, 0.3) << probe;
    }
}

// Blanks, quotes, backslashes and shell characters in the program folder,
// the sources and the output folder: the encoder receives every path
// exactly, and no shell ever sees one.
TEST(IntegrationPaths, ReachTheEncoderExactlyWhateverTheyHold) {
    TempFolder tmp("orv paths ");
    const std::string appDir = tmp.path + "my app; $HOME/";
    fs::create_directories(appDir);
    fs::copy_file(ORV_ARGV_ENCODER, appDir + kEncoderName);
    const std::string argvLog = tmp.path + "argv.log";
    setenv("ORV_ARGV_LOG", argvLog.c_str(), 1);

    const std::string src = tmp.path + "src/";
    const std::vector<std::string> names = {
        "say \"hi\".avi",        "$(touch pwned) & ; | * ? `id`.avi", "back\\\"slash.avi",
        "ends in a backslash\\", "three   blanks\tand a tab.avi",     "\"\".avi"};
    BatchWorld w(appDir, tmp.path, 10);
    w.proc->Pauses = {10, 10, 10};
    const std::string outFolder = tmp.path + "out \"q\" $x\\";
    w.forms.FrmMainForm.edtOutputFolder.SetText(outFolder);
    for (const std::string& name : names) w.AddRow(src + name, "00:00:00", "00:02:00");
    w.Convert();
    unsetenv("ORV_ARGV_LOG");

    EXPECT_TRUE(w.messages.shown.empty()) << w.messages.shown.front();
    const std::string log = ReadFile(argvLog);
    std::vector<std::vector<std::string>> calls;
    std::istringstream lines(log);
    for (std::string record; std::getline(lines, record);) {
        std::vector<std::string> args;
        size_t start = 0;
        for (size_t end = record.find('\0'); end != std::string::npos;
             end = record.find('\0', start)) {
            args.push_back(record.substr(start, end - start));
            start = end + 1;
        }
        calls.push_back(args);
    }
    ASSERT_EQ(calls.size(), names.size()) << log;
    const std::vector<std::string> options = {
        "-vcodec", "mpeg4", "-acodec", "aac",   "-b",  "768",      "-s",   "320x240",
        "-r",      "25",    "-aspect", "4:3",   "-ab", "128",      "-vol", "200",
        "-ac",     "2",     "-ar",     "44100", "-ss", "00:00:00", "-t",   "120"};
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        std::vector<std::string> expected = {"-y", "-i", src + names[i]};
        expected.insert(expected.end(), options.begin(), options.end());
        const size_t dot = names[i].rfind('.');
        expected.push_back(outFolder + "/" + names[i].substr(0, dot) + ".mp4");
        EXPECT_EQ(calls[i], expected);
    }
    EXPECT_FALSE(fs::exists(appDir + "pwned"));
    EXPECT_FALSE(fs::exists(tmp.path + "pwned"));
}

}  // namespace
