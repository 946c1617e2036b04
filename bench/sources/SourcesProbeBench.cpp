// Adding many files to the source list: the time per file of the
// in-process probe and of the whole add operation, against starting
// ffprobe once per file as the baseline, measured in the same run on the
// same files with a warm page cache.
//
// Usage: orv_sources_probe_bench [files] [baseline files]   (default 200 200)
// Exit status 1 when the probe takes 10 ms or more per file or is less than
// five times faster than the baseline.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "MediaFixtures.h"
#include "MediaProbe.h"
#include "Unit_CommonLib.h"

namespace {

namespace fs = std::filesystem;

constexpr double kGoalMsPerFile = 10.0;
constexpr double kGoalRatio = 5.0;

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

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
    const std::vector<ClipKind>& kinds = AcceptedClipKinds();
    for (const ClipKind& kind : kinds) {
        const std::string path = folder + "original" + kind.ext;
        std::vector<std::string> args = ClipCommand("320x240", "10");
        args.insert(args.end(), kind.output.begin(), kind.output.end());
        args.push_back(path);
        if (RunProgram(args) != 0) {
            std::fprintf(stderr, "ffmpeg could not write %s\n", path.c_str());
            fs::remove_all(folder);
            return 2;
        }
        originals.push_back(path);
    }
    std::vector<std::string> paths;
    for (int i = 0; i < files; ++i) {
        const size_t k = static_cast<size_t>(i) % kinds.size();
        const std::string path = folder + "file " + std::to_string(i) + kinds[k].ext;
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
        baselineFailed += RunProgram({"ffprobe", "-v", "error", "-show_entries", "format=duration",
                                      "-of", "csv=p=0", paths[static_cast<size_t>(i)]}) == 0
                              ? 0
                              : 1;
    }
    const double baselineMs = (NowMs() - start) / baselineFiles;
    fs::remove_all(folder);

    const double ratio = baselineMs / probeMs;
    std::printf("files: %d (%zu containers), rows added: %d, probe failures: %d\n", files,
                kinds.size(), list.RowCount(), failed);
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
