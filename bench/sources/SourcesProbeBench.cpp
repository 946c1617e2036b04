// Adding many files to the source list: the time per file of the
// in-process probe and of the whole add operation, against starting
// ffprobe once per file as the baseline, measured in the same run on the
// same files with a warm page cache.
//
// Usage: orv_sources_probe_bench [files] [baseline files]   (default 200 200)
// Exit status 1 when the probe takes 10 ms or more per file or is less than
// five times faster than the baseline.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "MediaProbe.h"
#include "Unit_CommonLib.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr double kGoalMsPerFile = 10.0;
constexpr double kGoalRatio = 5.0;

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// Starts the program directly (no shell) with its output discarded.
bool Run(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Kind {
    const char* ext;
    std::vector<std::string> output;
};

const std::vector<Kind> kKinds = {
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

int ArgOr(int argc, char** argv, int index, int fallback) {
    if (argc <= index) return fallback;
    const int value = std::atoi(argv[index]);
    return value > 0 ? value : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const int files = ArgOr(argc, argv, 1, 200);
    const int baselineFiles = std::min(files, ArgOr(argc, argv, 2, files));

    char pattern[] = "/tmp/orv-probe-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 2;
    }
    const std::string folder = std::string(pattern) + "/";

    // Ten-second clips, one per container; the files are copies of them,
    // so the containers mix in turn.
    std::vector<std::string> originals;
    for (const Kind& kind : kKinds) {
        const std::string path = folder + "original" + kind.ext;
        std::vector<std::string> args = {
            "ffmpeg",
            "-nostdin",
            "-v",
            "error",
            "-y",
            "-f",
            "lavfi",
            "-i",
            "testsrc=size=320x240:rate=25:duration=10",
            "-f",
            "lavfi",
            "-i",
            "sine=frequency=440:sample_rate=44100:duration=10",
        };
        args.insert(args.end(), kind.output.begin(), kind.output.end());
        args.push_back(path);
        if (!Run(args)) {
            std::fprintf(stderr, "ffmpeg could not write %s\n", path.c_str());
            fs::remove_all(folder);
            return 2;
        }
        originals.push_back(path);
    }
    std::vector<std::string> paths;
    for (int i = 0; i < files; ++i) {
        const size_t k = static_cast<size_t>(i) % kKinds.size();
        const std::string path = folder + "file " + std::to_string(i) + kKinds[k].ext;
        fs::copy_file(originals[k], path);
        paths.push_back(path);
    }

    TMediaProbe probe;
    // Warm the page cache for both sides.
    for (const auto& p : paths) probe.DurationMs(p);

    double start = NowMs();
    int failed = 0;
    for (const auto& p : paths) failed += probe.DurationMs(p) < 0 ? 1 : 0;
    const double probeMs = (NowMs() - start) / files;

    TPorts ports;
    ports.Probe = &probe;
    TCommonLib lib(folder, ports);
    TSourceList list;
    start = NowMs();
    lib.AddSourceFiles(list, paths);
    const double addMs = (NowMs() - start) / files;

    start = NowMs();
    int baselineFailed = 0;
    for (int i = 0; i < baselineFiles; ++i) {
        baselineFailed += Run({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of",
                               "csv=p=0", paths[static_cast<size_t>(i)]})
                              ? 0
                              : 1;
    }
    const double baselineMs = (NowMs() - start) / baselineFiles;
    fs::remove_all(folder);

    const double ratio = baselineMs / probeMs;
    std::printf("files: %d (%zu containers), rows added: %d, probe failures: %d\n", files,
                kKinds.size(), list.RowCount(), failed);
    std::printf("probe per file:            %8.3f ms\n", probeMs);
    std::printf("add operation per file:    %8.3f ms\n", addMs);
    std::printf("ffprobe per file (%3d):    %8.3f ms (failures: %d)\n", baselineFiles, baselineMs,
                baselineFailed);
    std::printf("baseline / probe:          %8.1f x\n", ratio);
    const bool met = probeMs < kGoalMsPerFile && ratio >= kGoalRatio && failed == 0;
    std::printf("goal (< %.0f ms per file, >= %.0fx): %s\n", kGoalMsPerFile, kGoalRatio,
                met ? "met" : "NOT met");
    return met ? 0 : 1;
}
