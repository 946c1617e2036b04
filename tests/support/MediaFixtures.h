// What tests and benchmarks on real media share: running a tool such as
// ffmpeg or ffprobe (found on PATH, never through a shell), clips made with
// ffmpeg's lavfi sources in every container the source list accepts, and a
// temporary folder removed with its contents.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

// Runs the program with standard input from /dev/null and returns its exit
// status, or -1 when it could not start or did not exit. Its standard output
// is collected into *output, or discarded when output is null.
inline int RunProgram(const std::vector<std::string>& args, std::string* output = nullptr) {
    int fds[2] = {-1, -1};
    if (output && pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (output) {
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (output) {
        close(fds[1]);
        char buffer[4096];
        for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
            output->append(buffer, static_cast<size_t>(n));
        close(fds[0]);
    }
    if (spawned != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The exit status and standard output of the program.
inline std::pair<int, std::string> RunCapture(const std::vector<std::string>& args) {
    std::string output;
    const int status = RunProgram(args, &output);
    return {status, output};
}

// ffprobe's answer for the entries (its -show_entries) of the file, one
// "key=value" line each, or the values alone without keys.
inline std::pair<int, std::string> ProbeEntries(const std::string& path, const std::string& entries,
                                                bool withKeys = true) {
    return RunCapture(
        {"ffprobe", "-v", "error", "-show_entries", entries, "-of",
         withKeys ? "default=noprint_wrappers=1" : "default=noprint_wrappers=1:nokey=1", path});
}

// The start of an ffmpeg command with a test picture of the size and a
// 440 Hz tone, both lasting the seconds; output options and the path follow.
inline std::vector<std::string> ClipCommand(const std::string& size, const std::string& seconds) {
    return {"ffmpeg",
            "-nostdin",
            "-v",
            "error",
            "-y",
            "-f",
            "lavfi",
            "-i",
            "testsrc=size=" + size + ":rate=25:duration=" + seconds,
            "-f",
            "lavfi",
            "-i",
            "sine=frequency=440:sample_rate=44100:duration=" + seconds};
}

// Makes the clip with the output options; ffmpeg's exit status and output.
inline std::pair<int, std::string> MakeClip(const std::string& path, const std::string& size,
                                            const std::string& seconds,
                                            const std::vector<std::string>& outputOptions) {
    std::vector<std::string> args = ClipCommand(size, seconds);
    args.insert(args.end(), outputOptions.begin(), outputOptions.end());
    args.push_back(path);
    return RunCapture(args);
}

struct ClipKind {
    const char* ext;
    std::vector<std::string> output;  // codecs and container
};

// A container ffmpeg writes for each of the fifteen accepted extensions.
inline const std::vector<ClipKind>& AcceptedClipKinds() {
    static const std::vector<ClipKind> kinds = {
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
    return kinds;
}

// A fresh folder under the system's temporary folder, named from the prefix
// and removed with everything in it; path ends with "/".
class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
        path = pattern + "/";
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string path;
};
