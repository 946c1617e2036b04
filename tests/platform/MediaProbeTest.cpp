// The media probe on real files: clips made here with ffmpeg in every
// container the source list accepts, and files that are no media at all.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "MediaFixtures.h"
#include "MediaProbe.h"

namespace {

namespace fs = std::filesystem;

const ClipKind& Kind(const std::string& ext) {
    for (const auto& k : AcceptedClipKinds()) {
        if (ext == k.ext) return k;
    }
    throw std::invalid_argument("no clip kind " + ext);
}

class MediaProbeTest : public ::testing::Test {
  protected:
    // A clip of picture and sound lasting the given seconds.
    std::string Clip(const std::string& name, const ClipKind& kind, const std::string& seconds) {
        const std::string path = folder_ + name;
        EXPECT_EQ(MakeClip(path, "160x128", seconds, kind.output).first, 0)
            << "ffmpeg could not write " << path;
        return path;
    }

    TempFolder tmp_{"orv-probe-"};
    const std::string folder_ = tmp_.path;
    TMediaProbe probe_;
};

// Should the probe ever wait for a writer or a device, the test fails
// instead of hanging with it.
std::optional<int64_t> ProbeWithin(TMediaProbe& probe, const std::string& path) {
    auto task = std::make_shared<std::packaged_task<int64_t()>>(
        [&probe, path] { return probe.DurationMs(path); });
    auto result = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready) return std::nullopt;
    return result.get();
}

TEST_F(MediaProbeTest, EveryAcceptedContainerProbesToItsDuration) {
    std::vector<std::string> paths;
    for (const auto& kind : AcceptedClipKinds())
        paths.push_back(Clip(std::string("clip") + kind.ext, kind, "3"));
    // One probe for all: nothing of one file may linger into the next.
    for (const auto& path : paths) {
        SCOPED_TRACE(path);
        const int64_t ms = probe_.DurationMs(path);
        EXPECT_GE(ms, 2900);
        EXPECT_LT(ms, 3300);
    }
}

TEST_F(MediaProbeTest, ShortClipsAreCutToWholeSeconds) {
    EXPECT_LT(probe_.DurationMs(Clip("half.mp4", Kind(".mp4"), "0.5")), 1000);
    const int64_t ms = probe_.DurationMs(Clip("almost2.mp4", Kind(".mp4"), "1.9"));
    EXPECT_GE(ms, 1000);
    EXPECT_LT(ms, 2000);
    // Without a header duration the packets tell it.
    const int64_t swf = probe_.DurationMs(Clip("almost2.swf", Kind(".swf"), "1.9"));
    EXPECT_GE(swf, 1000);
    EXPECT_LT(swf, 2000);
}

TEST_F(MediaProbeTest, WhatIsNoMediaFileFailsWithoutBlocking) {
    const std::string good = Clip("good.mp4", Kind(".mp4"), "3");
    const std::string whole = [&] {
        std::ifstream in(good, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();

    struct Case {
        const char* what;
        std::string path;
    };
    std::vector<Case> cases;
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(folder_ + name, std::ios::binary) << bytes;
        return folder_ + name;
    };
    cases.push_back({"renamed text file", write("notes.avi", "hello\nthis is no video\n")});
    cases.push_back({"truncated", write("cut.mp4", whole.substr(0, whole.size() / 2))});
    cases.push_back({"zero bytes", write("empty.mp4", "")});
    cases.push_back({"subtitles", write("subs.mp4", "1\n00:00:01,000 --> 00:00:09,000\nHi\n\n")});
    const std::string fifo = folder_ + "pipe.mpg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    cases.push_back({"FIFO", fifo});
    const std::string device = folder_ + "zero.avi";
    fs::create_symlink("/dev/zero", device);
    cases.push_back({"device", device});
    fs::create_directory(folder_ + "folder.avi");
    cases.push_back({"folder", folder_ + "folder.avi"});
    cases.push_back({"missing", folder_ + "missing.mov"});
    if (geteuid() != 0) {  // root reads regardless of permissions
        const std::string locked = write("locked.mp4", whole);
        chmod(locked.c_str(), 0);
        cases.push_back({"no read permission", locked});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<int64_t> ms = ProbeWithin(probe_, c.path);
        ASSERT_TRUE(ms.has_value()) << "the probe blocked";
        EXPECT_LT(*ms, 0);
    }
    EXPECT_EQ(probe_.DurationMs(good) / 1000, 3);
}

}  // namespace
