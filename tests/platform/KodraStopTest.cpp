// The real encoder front end, started by the runner and stopped by name in
// the middle of a conversion, as the progress window's Stop button does.
#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "AdvanceSystem.h"
#include "FuncObjects.h"
#include "ProcessTable.h"
#include "Unit_CommonLib.h"

namespace fs = std::filesystem;

namespace {

class RealPump : public IEventPump {
  public:
    void ProcessMessages() override {}
    void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

// Processes still in the session the runner gave the encoder: it and
// whatever it started (ffmpeg).
std::vector<int> SessionMembers(int session) {
    std::vector<int> members;
    DIR* dir = opendir("/proc");
    if (!dir) return members;
    while (const dirent* e = readdir(dir)) {
        const int pid = std::atoi(e->d_name);
        if (pid <= 0) continue;
        std::ifstream in("/proc/" + std::string(e->d_name) + "/stat");
        std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        // After the name: state, parent, group, session.
        std::istringstream fields(stat.substr(close + 1));
        std::string state;
        int parent = 0, group = 0, sid = 0;
        if (fields >> state >> parent >> group >> sid && sid == session && state != "Z") {
            members.push_back(pid);
        }
    }
    closedir(dir);
    return members;
}

class KodraStopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* appDir = std::getenv("ORV_APP_DIR");
        ASSERT_NE(appDir, nullptr);
        appDir_ = appDir;
        ASSERT_TRUE(fs::exists(appDir_ + kEncoderName)) << "kodra is not built";
        std::string pattern = (fs::temp_directory_path() / "orv stop XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern + "/";
        InitFuncObjects();
        TAppFunc::SetAppPath(dir_);
    }
    void TearDown() override {
        TAppFunc::SetAppPath("");
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    // Runs a helper program through the runner; its output, or a failure.
    std::string Tool(const std::string& program, const std::string& args) {
        TAdvanceSystem runner(dir_, 0);
        std::string out;
        const TRunResult r = runner.RunProcess(program, program + " " + args,
                                               [&](const std::string& chunk) { out += chunk; });
        EXPECT_TRUE(r.Succeeded()) << program << " " << args << ": " << out;
        return out;
    }

    std::string appDir_;
    std::string dir_;
};

TEST_F(KodraStopTest, StoppedConversionLeavesNoProcessAndAPlayableFile) {
    // Five minutes of source that are quick to make and slow to convert.
    const std::string source = dir_ + "long source.mkv";
    Tool("/usr/bin/ffmpeg",
         "-nostdin -hide_banner -loglevel error -y -f lavfi -i "
         "testsrc=size=320x240:rate=1:duration=300 -f lavfi -i "
         "sine=frequency=440:sample_rate=8000:duration=300 -c:v mpeg4 -q:v 10 -c:a pcm_u8 \"" +
             source + "\"");
    const std::string output = dir_ + "out put.mp4";

    TProcessTable table;
    RealPump pump;
    TPorts ports;
    ports.Processes = &table;
    ports.Pump = &pump;
    TCommonLib lib(appDir_, ports);
    const std::string encoder = appDir_ + kEncoderName;
    const std::string line = encoder + " -y -i \"" + source +
                             "\" -vcodec mpeg4 -acodec aac -b 768 -s 320x240 -r 25 -aspect 4:3 "
                             "-ab 128 -vol 100 -ac 2 -ar 44100 \"" +
                             output + "\"";

    TAdvanceSystem runner(appDir_, 10);
    std::string seen;
    int session = 0;
    const TRunResult result = runner.RunProcess(encoder, line, [&](const std::string& chunk) {
        seen += chunk;
        // Stop once the conversion is under way, from inside the callback.
        if (session != 0 || seen.find("time=") == std::string::npos) return;
        session = lib.GetProcessIdByName(kEncoderName);
        lib.StopEncoder(encoder);
    });
    ASSERT_TRUE(result.Started);
    ASSERT_NE(session, 0) << "no progress seen: " << seen;
    for (const TProcessEntry& e : table.Snapshot()) EXPECT_NE(e.Name, kEncoderName);

    // ffmpeg goes with its encoder, well within a second.
    std::vector<int> left = SessionMembers(session);
    for (int i = 0; i < 20 && !left.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        left = SessionMembers(session);
    }
    EXPECT_TRUE(left.empty()) << left.size() << " process(es) of the encoder's session left";

    const std::string duration =
        Tool("/usr/bin/ffprobe",
             "-v error -show_entries format=duration -of csv=p=0 \"" + output + "\"");
    EXPECT_GT(std::atof(duration.c_str()), 0.0) << duration;
}

}  // namespace
