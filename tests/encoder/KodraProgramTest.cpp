// The built kodra against the real ffmpeg: what it writes, what it refuses,
// and how it stops. Clips are made at test time with ffmpeg's lavfi.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0) return dir + "/" + name;
    return name;
}

// A started program whose standard output and error are read through pipes.
class TChild {
  public:
    // env entries "KEY=VALUE" replace or add to this process's environment.
    TChild(const std::string& program, const std::vector<std::string>& args,
           const std::vector<std::string>& env = {}, const std::string& cwd = "") {
        std::vector<std::string> envList;
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            std::string key = entry.substr(0, entry.find('=') + 1);
            bool replaced = false;
            for (const std::string& o : env) replaced |= o.compare(0, key.size(), key) == 0;
            if (!replaced) envList.push_back(entry);
        }
        envList.insert(envList.end(), env.begin(), env.end());
        std::vector<std::string> argList = {program};
        argList.insert(argList.end(), args.begin(), args.end());
        std::vector<char*> argv, envp;
        for (std::string& a : argList) argv.push_back(a.data());
        argv.push_back(nullptr);
        for (std::string& e : envList) envp.push_back(e.data());
        envp.push_back(nullptr);

        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
        int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
        pid_ = fork();
        if (pid_ == 0) {
            if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
            dup2(devNull, 0);
            dup2(out[1], 1);
            dup2(err[1], 2);
            execve(program.c_str(), argv.data(), envp.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        close(devNull);
        outFd_ = out[0];
        errFd_ = err[0];
        fcntl(outFd_, F_SETFL, O_NONBLOCK);
        fcntl(errFd_, F_SETFL, O_NONBLOCK);
        pidFd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    }

    ~TChild() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status_, 0);
        }
        for (int fd : {outFd_, errFd_, pidFd_})
            if (fd >= 0) close(fd);
    }

    pid_t Pid() const { return pid_; }
    bool Exited() const { return exited_; }
    // The exit code, or 128 + the signal that ended it.
    int Code() const { return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_); }
    const std::string& Out() const { return out_; }
    const std::string& Err() const { return err_; }

    // Reads output until done() holds, the program has ended and said all,
    // or ms have passed.
    void Pump(int ms, const std::function<bool()>& done = nullptr) {
        int64_t deadline = NowMs() + ms;
        while (!(done && done()) && !(exited_ && outFd_ < 0 && errFd_ < 0)) {
            int64_t left = deadline - NowMs();
            if (left <= 0) return;
            std::vector<pollfd> fds;
            for (int fd : {outFd_, errFd_})
                if (fd >= 0) fds.push_back({fd, POLLIN, 0});
            if (!exited_) fds.push_back({pidFd_, POLLIN, 0});
            if (poll(fds.data(), fds.size(), static_cast<int>(left)) <= 0) continue;
            for (const pollfd& p : fds) {
                if (!p.revents) continue;
                if (p.fd == pidFd_) {
                    exited_ = waitpid(pid_, &status_, WNOHANG) == pid_;
                } else {
                    char buf[4096];
                    ssize_t n = read(p.fd, buf, sizeof buf);
                    int& fd = p.fd == outFd_ ? outFd_ : errFd_;
                    std::string& text = p.fd == outFd_ ? out_ : err_;
                    if (n > 0) text.append(buf, static_cast<size_t>(n));
                    if (n == 0) {
                        close(fd);
                        fd = -1;
                    }
                }
            }
        }
    }

    bool WaitExit(int ms) {
        Pump(ms);
        return exited_;
    }

    // The reader of its standard output goes away.
    void CloseOut() {
        close(outFd_);
        outFd_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int pidFd_ = -1, outFd_ = -1, errFd_ = -1;
    bool exited_ = false;
    int status_ = 0;
    std::string out_, err_;
};

struct TResult {
    int code = -1;
    std::string out, err;
};

TResult Run(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::string>& env = {}, const std::string& cwd = "") {
    TChild child(program, args, env, cwd);
    if (!child.WaitExit(120000)) ADD_FAILURE() << program << " did not end";
    return {child.Code(), child.Out(), child.Err()};
}

std::string Kodra() {
    const char* dir = std::getenv("ORV_APP_DIR");
    return std::string(dir ? dir : "./") + "kodra";
}

TResult RunKodra(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                 const std::string& cwd = "") {
    return Run(Kodra(), args, env, cwd);
}

// The clips, made once per test process in a folder removed at the end.
class TMedia : public ::testing::Environment {
  public:
    void TearDown() override {
        if (!Folder().empty()) fs::remove_all(Folder());
    }

    static std::string& Folder() {
        static std::string folder = [] {
            std::string pattern = (fs::temp_directory_path() / "kodra-test-XXXXXX").string();
            return std::string(mkdtemp(pattern.data()) ? pattern : "");
        }();
        return folder;
    }

    // 4 s of 320x240 at 25 fps with a stereo 440 Hz tone at 44.1 kHz.
    static std::string Clip() {
        static std::string clip =
            Make("clip.mkv", {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=4", "-f",
                              "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=4",
                              "-ac", "2", "-c:v", "mpeg4", "-q:v", "5", "-c:a", "pcm_s16le"});
        return clip;
    }

    // 300 s that are quick to make (one picture a second, 8 kHz sound) but
    // take a while to convert to 25 fps, so a conversion can be stopped.
    static std::string LongClip() {
        static std::string clip =
            Make("long.mkv", {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=1:duration=300", "-f",
                              "lavfi", "-i", "sine=frequency=440:sample_rate=8000:duration=300",
                              "-c:v", "mpeg4", "-q:v", "10", "-c:a", "pcm_u8"});
        return clip;
    }

  private:
    static std::string Make(const std::string& name, std::vector<std::string> args) {
        std::string path = Folder() + "/" + name;
        args.insert(args.begin(), {"-nostdin", "-hide_banner", "-loglevel", "error", "-y"});
        args.push_back(path);
        TResult r = Run(FindOnPath("ffmpeg"), args);
        if (r.code != 0) ADD_FAILURE() << "cannot make " << name << ": " << r.err;
        return path;
    }
};

::testing::Environment* const kMedia = ::testing::AddGlobalTestEnvironment(new TMedia);

// What ffprobe reads from a file: the first video and audio stream and the
// container, each as key -> value; "error" holds ffprobe's complaint.
struct TProbe {
    std::map<std::string, std::string> video, audio, format;
    std::string error;
};

TProbe Probe(const std::string& file) {
    TResult r = Run(FindOnPath("ffprobe"),
                    {"-v", "error", "-show_entries",
                     "stream=codec_type,codec_name,width,height,r_frame_rate,sample_rate,channels:"
                     "format=duration,format_name:format_tags=major_brand",
                     "-of", "flat", file});
    TProbe probe;
    if (r.code != 0) probe.error = r.err.empty() ? "ffprobe failed" : r.err;
    std::map<std::string, std::map<std::string, std::string>> streams;
    std::stringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
        if (key.rfind("format.", 0) == 0) {
            probe.format[key.substr(7)] = value;
        } else if (key.rfind("streams.stream.", 0) == 0) {
            size_t dot = key.find('.', 15);
            streams[key.substr(15, dot - 15)][key.substr(dot + 1)] = value;
        }
    }
    for (auto& [index, values] : streams) {
        auto& slot = values["codec_type"] == "video" ? probe.video : probe.audio;
        if (slot.empty() && (values["codec_type"] == "video" || values["codec_type"] == "audio"))
            slot = values;
    }
    return probe;
}

double Number(const std::string& text) {
    size_t slash = text.find('/');
    if (slash == std::string::npos) return std::atof(text.c_str());
    double d = std::atof(text.c_str() + slash + 1);
    return d == 0 ? 0 : std::atof(text.c_str()) / d;
}

double MeanVolumeDb(const std::string& file) {
    TResult r = Run(FindOnPath("ffmpeg"), {"-nostdin", "-hide_banner", "-i", file, "-af",
                                           "volumedetect", "-f", "null", "-"});
    size_t at = r.err.find("mean_volume: ");
    EXPECT_NE(at, std::string::npos) << r.err;
    return at == std::string::npos ? 0 : std::atof(r.err.c_str() + at + 13);
}

std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Processes whose parent is pid.
std::vector<pid_t> ChildrenOf(pid_t pid) {
    std::vector<pid_t> children;
    for (const auto& e : fs::directory_iterator("/proc")) {
        std::string name = e.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string stat = ReadAll("/proc/" + name + "/stat");
        size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 2));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == pid) children.push_back(std::stoi(name));
    }
    return children;
}

int PidFdOpen(pid_t pid) {
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

bool Gone(pid_t pid) {
    return kill(pid, 0) != 0 && errno == ESRCH;
}

// Every piece of standard output is a whole progress line ended by CR;
// returns the time of the last one as the program reads it: the fifth
// (video) or third (sound) "=" piece, up to its ".".
double CheckProgressLines(const std::string& out, bool video) {
    static const std::regex videoLine(
        R"(frame= *\d+ q=-?\d+\.\d size= *\d+kB time=\d+\.\d\d bitrate= *\d+\.\dkbits/s)");
    static const std::regex soundLine(R"(size= *\d+kB time=\d+\.\d\d bitrate= *\d+\.\dkbits/s)");
    EXPECT_EQ(out.find('\n'), std::string::npos);
    EXPECT_FALSE(out.empty());
    if (out.empty()) return -1;
    EXPECT_EQ(out.back(), '\r');
    std::string last;
    std::stringstream lines(out);
    std::string line;
    while (std::getline(lines, line, '\r')) {
        EXPECT_TRUE(std::regex_match(line, video ? videoLine : soundLine)) << "[" << line << "]";
        last = line;
    }
    std::vector<std::string> pieces;
    std::stringstream parts(last);
    std::string piece;
    while (std::getline(parts, piece, '=')) pieces.push_back(piece);
    size_t index = video ? 4 : 2;
    if (pieces.size() <= index) return -1;
    return std::atof(pieces[index].c_str());
}

class KodraProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(access(Kodra().c_str(), X_OK), 0) << Kodra();
        out_ = TMedia::Folder() + "/" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(out_);
        fs::create_directories(out_);
    }
    void TearDown() override {
        // Folders a test made read-only must be removable.
        for (const auto& e : fs::recursive_directory_iterator(out_)) chmod(e.path().c_str(), 0755);
        fs::remove_all(out_);
    }

    std::string Out(const std::string& name) const { return out_ + "/" + name; }

    std::string out_;
};

TEST_F(KodraProgram, VideoIsWrittenAsAskedForTheHandheld) {
    struct Case {
        std::vector<std::string> options;
        int width, height;
        double fps;
        int sampleRate, channels;
        double seconds;
    };
    const Case cases[] = {
        {{"-b",   "768", "-s",  "320x240", "-r",  "25",    "-aspect", "4:3",      "-ab", "128",
          "-vol", "200", "-ac", "2",       "-ar", "44100", "-ss",     "00:00:01", "-t",  "2"},
         320,
         240,
         25,
         44100,
         2,
         2.0},
        // Without -vol (an unselected volume list) and with a start in seconds.
        {{"-b", "256", "-s", "160x112", "-r", "14.985", "-aspect", "16:9", "-ab", "48", "-ac", "1",
          "-ar", "22050", "-ss", "1", "-t", "2"},
         160,
         112,
         14.985,
         22050,
         1,
         2.0},
        // The whole file when no range is given.
        {{"-b", "1500", "-s", "368x208", "-r", "23.967", "-aspect", "16:9", "-ab", "224", "-vol",
          "100", "-ac", "2", "-ar", "48000"},
         368,
         208,
         23.967,
         48000,
         2,
         4.0},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string output = Out("video" + std::to_string(n++) + ".mp4");
        SCOPED_TRACE(output);
        std::vector<std::string> args = {"-y",    "-i",      TMedia::Clip(), "-vcodec",
                                         "mpeg4", "-acodec", "aac"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(output);
        TResult r = RunKodra(args);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err, "");
        TProbe p = Probe(output);
        EXPECT_EQ(p.error, "");
        EXPECT_EQ(p.video["codec_name"], "mpeg4");
        EXPECT_EQ(p.video["width"], std::to_string(c.width));
        EXPECT_EQ(p.video["height"], std::to_string(c.height));
        EXPECT_NEAR(Number(p.video["r_frame_rate"]), c.fps, 0.001) << p.video["r_frame_rate"];
        EXPECT_EQ(p.audio["codec_name"], "aac");
        EXPECT_EQ(p.audio["sample_rate"], std::to_string(c.sampleRate));
        EXPECT_EQ(p.audio["channels"], std::to_string(c.channels));
        EXPECT_NEAR(Number(p.format["duration"]), c.seconds, 0.1);
        EXPECT_EQ(p.format["tags.major_brand"], "MSNV") << "the handheld's own MP4 brand";
        EXPECT_NEAR(CheckProgressLines(r.out, true), c.seconds, 0.1);
    }
    EXPECT_EQ(Listing(out_), (std::set<std::string>{"video0.mp4", "video1.mp4", "video2.mp4"}));
}

TEST_F(KodraProgram, SoundIsWrittenAsAsked) {
    struct Case {
        const char* name;
        std::vector<std::string> options;
        const char* codec;
        const char* formatName;
        int sampleRate, channels;
        double seconds;
    };
    const Case cases[] = {
        {"a.aac",
         {"-acodec", "aac", "-vn", "-ab", "128", "-vol", "200", "-ac", "2", "-ar", "44100", "-ss",
          "00:00:01", "-t", "2"},
         "aac",
         "aac",
         44100,
         2,
         2.0},
        {"a.m4a",
         {"-acodec", "aac", "-vn", "-ab", "80", "-ac", "1", "-ar", "32000", "-ss", "1", "-t", "2"},
         "aac",
         "mov,mp4,m4a,3gp,3g2,mj2",
         32000,
         1,
         2.0},
        {"a.mp3",
         {"-acodec", "mp3", "-vn", "-ab", "128", "-vol", "50", "-ac", "2", "-ar", "48000", "-ss",
          "00:00:01", "-t", "2"},
         "mp3",
         "mp3",
         48000,
         2,
         2.0},
        // A forced format decides over the extension.
        {"a.bin",
         {"-acodec", "aac", "-vn", "-ab", "64", "-ac", "2", "-ar", "22050", "-f", "adts"},
         "aac",
         "aac",
         22050,
         2,
         4.0},
    };
    for (const Case& c : cases) {
        std::string output = Out(c.name);
        SCOPED_TRACE(output);
        std::vector<std::string> args = {"-y", "-i", TMedia::Clip()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(output);
        TResult r = RunKodra(args);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err, "");
        TProbe p = Probe(output);
        EXPECT_EQ(p.error, "");
        EXPECT_TRUE(p.video.empty()) << "no picture in a sound file";
        EXPECT_EQ(p.audio["codec_name"], c.codec);
        EXPECT_EQ(p.audio["sample_rate"], std::to_string(c.sampleRate));
        EXPECT_EQ(p.audio["channels"], std::to_string(c.channels));
        EXPECT_EQ(p.format["format_name"], c.formatName);
        EXPECT_NEAR(Number(p.format["duration"]), c.seconds, 0.1);
        if (std::string(c.name) == "a.m4a") {
            EXPECT_EQ(p.format["tags.major_brand"], "M4A ");
        }
        EXPECT_NEAR(CheckProgressLines(r.out, false), c.seconds, 0.1);
    }
}

TEST_F(KodraProgram, VolumeIsAPercentage) {
    auto level = [&](const std::string& name, std::vector<std::string> volume) {
        std::vector<std::string> args = {"-y",  "-i",    TMedia::Clip(), "-acodec", "aac",
                                         "-vn", "-ab",   "128",          "-ac",     "2",
                                         "-ar", "44100", "-t",           "2"};
        args.insert(args.end(), volume.begin(), volume.end());
        args.push_back(Out(name));
        TResult r = RunKodra(args);
        EXPECT_EQ(r.code, 0) << r.err;
        return MeanVolumeDb(Out(name));
    };
    double unchanged = level("none.m4a", {});
    EXPECT_NEAR(level("100.m4a", {"-vol", "100"}), unchanged, 0.2);
    EXPECT_NEAR(level("50.m4a", {"-vol", "50"}), unchanged - 6.02, 0.5);
    EXPECT_NEAR(level("200.m4a", {"-vol", "200"}), unchanged + 6.02, 0.5);
}

// Each refusal: one line on standard error naming the cause, a non-zero
// status, no progress text, and nothing left in the output folder.
TEST_F(KodraProgram, RefusalsNameTheirCauseAndLeaveNothing) {
    struct Case {
        const char* what;
        std::function<std::vector<std::string>()> args;
        std::vector<std::string> env;
        const char* cause;
        bool needsNonRoot;  // permissions do not hold back root
    };
    auto sound = [&](const std::string& source, const std::string& output,
                     std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"-y", "-i", source, "-acodec", "aac", "-vn", "-ab", "64"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(output);
        return args;
    };
    const Case cases[] = {
        {"unknown option",
         [&] { return sound(TMedia::Clip(), Out("a.m4a"), {"-foo"}); },
         {},
         "unknown option \"-foo\"",
         false},
        {"missing source",
         [&] { return sound(Out("missing.avi"), Out("a.m4a")); },
         {},
         "cannot read the source",
         false},
        {"source is a folder", [&] { return sound(out_, Out("a.m4a")); }, {}, "is a folder", false},
        {"unreadable source",
         [&] {
             fs::copy_file(TMedia::Clip(), Out("locked.mkv"));
             chmod(Out("locked.mkv").c_str(), 0);
             return sound(Out("locked.mkv"), Out("a.m4a"));
         },
         {},
         "Permission denied",
         true},
        {"source is no media",
         [&] {
             WriteAll(Out("notes.avi"), "just text\n");
             return sound(Out("notes.avi"), Out("a.m4a"));
         },
         {},
         "Invalid data",
         false},
        {"output folder missing",
         [&] { return sound(TMedia::Clip(), Out("no/such/a.m4a")); },
         {},
         "does not exist",
         false},
        {"output folder is a file",
         [&] {
             WriteAll(Out("plain"), "x");
             return sound(TMedia::Clip(), Out("plain/a.m4a"));
         },
         {},
         "is not a folder",
         false},
        {"output folder not writable",
         [&] {
             fs::create_directory(Out("ro"));
             chmod(Out("ro").c_str(), 0555);
             return sound(TMedia::Clip(), Out("ro/a.m4a"));
         },
         {},
         "cannot write to the output folder",
         true},
        {"ffmpeg named but missing",
         [&] { return sound(TMedia::Clip(), Out("a.m4a")); },
         {"KODRA_FFMPEG=/nonexistent/ffmpeg"},
         "ffmpeg not found",
         false},
        {"ffmpeg not on PATH",
         [&] { return sound(TMedia::Clip(), Out("a.m4a")); },
         {"KODRA_FFMPEG=", "PATH=/nonexistent"},
         "ffmpeg not found on PATH",
         false},
        {"length of 0",
         [&] {
             return sound(TMedia::Clip(), Out("a.m4a"), {"-ss", "00:00:01", "-t", "0"});
         },
         {},
         "more than 0 seconds",
         false},
        {"start beyond the end",
         [&] {
             return sound(TMedia::Clip(), Out("a.m4a"), {"-ss", "00:01:00", "-t", "5"});
         },
         {},
         "beyond the end",
         false},
        {"start beyond the end of a video",
         [&] {
             return std::vector<std::string>{"-y",       "-i",        TMedia::Clip(), "-vcodec",
                                             "mpeg4",    "-acodec",   "aac",          "-ss",
                                             "00:00:09", Out("v.mp4")};
         },
         {},
         "beyond the end",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsNonRoot && geteuid() == 0) continue;
        std::vector<std::string> args = c.args();
        std::set<std::string> before = Listing(out_);
        TResult r = RunKodra(args, c.env);
        EXPECT_NE(r.code, 0);
        EXPECT_EQ(r.err.rfind("kodra: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
        EXPECT_NE(r.err.find(c.cause), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find('='), std::string::npos) << r.out;
        EXPECT_EQ(Listing(out_), before);
        if (fs::exists(Out("ro"))) {
            EXPECT_TRUE(fs::is_empty(Out("ro")));
        }
    }
}

TEST_F(KodraProgram, TheSourceIsNeverOverwritten) {
    fs::copy_file(TMedia::Clip(), Out("src.mkv"));
    fs::create_symlink(Out("src.mkv"), Out("link.mkv"));
    const std::string original = ReadAll(Out("src.mkv"));
    for (const char* output : {"src.mkv", "link.mkv"}) {
        SCOPED_TRACE(output);
        TResult r = RunKodra({"-y", "-i", Out("src.mkv"), "-acodec", "mp3", "-vn", Out(output)});
        EXPECT_NE(r.code, 0);
        EXPECT_NE(r.err.find("is the source file"), std::string::npos) << r.err;
        EXPECT_TRUE(ReadAll(Out("src.mkv")) == original);
        EXPECT_EQ(Listing(out_), (std::set<std::string>{"src.mkv", "link.mkv"}));
    }
}

TEST_F(KodraProgram, AFileInTheWayIsReplacedOnlyBySuccess) {
    WriteAll(Out("a.mp3"), "precious");
    auto convert = [&](std::vector<std::string> range) {
        std::vector<std::string> args = {"-y", "-i", TMedia::Clip(), "-acodec", "mp3", "-vn"};
        args.insert(args.end(), range.begin(), range.end());
        args.push_back(Out("a.mp3"));
        return RunKodra(args);
    };
    TResult failed = convert({"-ss", "00:05:00", "-t", "5"});
    EXPECT_NE(failed.code, 0);
    EXPECT_EQ(ReadAll(Out("a.mp3")), "precious");
    EXPECT_EQ(Listing(out_), std::set<std::string>{"a.mp3"});

    TResult refused = RunKodra({"-i", TMedia::Clip(), "-acodec", "mp3", "-vn", Out("a.mp3")});
    EXPECT_NE(refused.code, 0) << "without -y an existing file stays";
    EXPECT_NE(refused.err.find("already exists"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadAll(Out("a.mp3")), "precious");

    TResult done = convert({"-t", "1"});
    EXPECT_EQ(done.code, 0) << done.err;
    EXPECT_EQ(Probe(Out("a.mp3")).audio["codec_name"], "mp3");
    EXPECT_EQ(Listing(out_), std::set<std::string>{"a.mp3"});
}

TEST_F(KodraProgram, OddNamesAreSingleArgumentsExactly) {
    struct Case {
        const char* name;
        bool relative;  // given relative to the working folder
    };
    const Case cases[] = {
        {"blanks  \"quotes\" 'single' $(touch pwned) `touch pwned`; a & b | c \\ d", false},
        {"-leading dash", false},
        {"nön-ascii ü 日本", false},
        // Without care ffmpeg reads such names as its pipe or concat protocols.
        {"pipe:0", true},
        {"concat:x", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string source = std::string(c.name) + ".mkv";
        std::string output = std::string(c.name) + ".m4a";
        fs::copy_file(TMedia::Clip(), Out(source));
        std::vector<std::string> args = {
            "-y", "-i", c.relative ? source : Out(source), "-acodec", "aac", "-vn", "-ab", "64",
            "-t", "1",  c.relative ? output : Out(output)};
        TResult r = RunKodra(args, {}, c.relative ? out_ : "");
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_GT(fs::file_size(Out(output)), 0u);
    }
    EXPECT_FALSE(fs::exists(Out("pwned")));
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_EQ(Listing(out_).size(), 2 * std::size(cases));
}

// Starts a long conversion and waits for its first progress line.
struct TRunning {
    explicit TRunning(const std::string& output, const std::vector<std::string>& env = {})
        : child(Kodra(), {"-y",      "-i",      TMedia::LongClip(),
                          "-vcodec", "mpeg4",   "-acodec",
                          "aac",     "-b",      "768",
                          "-s",      "320x240", "-r",
                          "25",      "-aspect", "4:3",
                          "-ab",     "128",     "-vol",
                          "200",     "-ac",     "2",
                          "-ar",     "44100",   output},
                env) {
        child.Pump(60000, [&] { return child.Out().find('\r') != std::string::npos; });
        std::vector<pid_t> children = ChildrenOf(child.Pid());
        if (children.size() == 1) ffmpeg = children[0];
    }
    TChild child;
    pid_t ffmpeg = -1;
};

TEST_F(KodraProgram, AStopKeepsAPlayablePartAndNoFfmpeg) {
    enum class How { Once, EverySecondTenth, ClosedOutput };
    struct Case {
        const char* what;
        How how;
        int sig;
    };
    const Case cases[] = {
        {"SIGTERM", How::Once, SIGTERM},
        {"SIGINT", How::Once, SIGINT},
        {"SIGTERM every 100 ms", How::EverySecondTenth, SIGTERM},
        {"closed output pipe", How::ClosedOutput, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string name = "stop" + std::to_string(n++) + ".mp4";
        TRunning run(Out(name));
        ASSERT_FALSE(run.child.Exited()) << run.child.Err();
        ASSERT_GT(run.ffmpeg, 0) << "ffmpeg runs as kodra's child";
        int64_t deadline = NowMs() + 3000;
        if (c.how == How::Once) kill(run.child.Pid(), c.sig);
        if (c.how == How::ClosedOutput) run.child.CloseOut();
        while (!run.child.Exited() && NowMs() < deadline) {
            if (c.how == How::EverySecondTenth) kill(run.child.Pid(), c.sig);
            run.child.Pump(c.how == How::EverySecondTenth ? 100 : 3000,
                           [&] { return run.child.Exited(); });
        }
        ASSERT_TRUE(run.child.Exited()) << "kodra must end within 3 s of a stop";
        run.child.Pump(1000);
        EXPECT_NE(run.child.Code(), 0);
        EXPECT_NE(run.child.Err().find("stopped"), std::string::npos) << run.child.Err();
        EXPECT_TRUE(Gone(run.ffmpeg));
        TProbe p = Probe(Out(name));
        EXPECT_EQ(p.error, "");
        EXPECT_EQ(p.video["codec_name"], "mpeg4");
        EXPECT_GT(Number(p.format["duration"]), 0.0);
        EXPECT_EQ(Listing(out_).count(name), 1u);
        EXPECT_EQ(Listing(out_).size(), static_cast<size_t>(n)) << "no working file left";
    }
}

TEST_F(KodraProgram, OnlyTheFirstStopReachesFfmpeg) {
    // A stand-in for ffmpeg that reports progress, counts the stop requests
    // it gets and takes a second to finish after the first.
    const std::string count = Out("count");
    const std::string fake = Out("fake-ffmpeg");
    WriteAll(fake,
             "#!/bin/sh\n"
             "n=0\n"
             "trap 'n=$((n+1)); echo $n > \"" +
                 count +
                 "\"' TERM INT\n"
                 "while [ $n -eq 0 ]; do\n"
                 "  printf 'frame=1\\nout_time_us=1000000\\nprogress=continue\\n' >&3\n"
                 "  sleep 0.1\n"
                 "done\n"
                 "i=0\n"
                 "while [ $i -lt 10 ]; do sleep 0.1; i=$((i+1)); done\n"
                 "exit 255\n");
    chmod(fake.c_str(), 0755);
    TChild child(Kodra(), {"-y", "-i", TMedia::Clip(), "-acodec", "aac", "-vn", Out("a.m4a")},
                 {"KODRA_FFMPEG=" + fake});
    child.Pump(10000, [&] { return child.Out().find('\r') != std::string::npos; });
    ASSERT_FALSE(child.Exited()) << child.Err();
    int64_t deadline = NowMs() + 3000;
    while (!child.Exited() && NowMs() < deadline) {
        kill(child.Pid(), SIGTERM);
        child.Pump(100, [&] { return child.Exited(); });
    }
    ASSERT_TRUE(child.Exited());
    EXPECT_NE(child.Code(), 0);
    EXPECT_EQ(ReadAll(count), "1\n");
}

TEST_F(KodraProgram, KillingKodraTakesFfmpegWithIt) {
    TRunning run(Out("killed.mp4"));
    ASSERT_FALSE(run.child.Exited()) << run.child.Err();
    ASSERT_GT(run.ffmpeg, 0);
    int pidFd = PidFdOpen(run.ffmpeg);
    ASSERT_GE(pidFd, 0);
    kill(run.child.Pid(), SIGKILL);
    ASSERT_TRUE(run.child.WaitExit(3000));
    pollfd p{pidFd, POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 3000), 1) << "ffmpeg outlived kodra";
    close(pidFd);
}

}  // namespace
