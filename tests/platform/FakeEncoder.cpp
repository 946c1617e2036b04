// A stand-in for the encoder, copied into a test's program folder under the
// encoder's name. argv[1] says what it does; everything it writes goes out
// in one write, so the test knows what is waiting in the pipe at once.
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

void WriteAll(const std::string& text) {
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = write(STDOUT_FILENO, p, left);
        if (n <= 0) return;
        p += n;
        left -= static_cast<size_t>(n);
    }
}

std::string StatusLine(const std::string& key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + ":", 0) == 0) return line;
    }
    return key + ": ?";
}

std::string Link(const std::string& path) {
    char target[256] = {};
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<size_t>(n)) : "?";
}

// The open descriptors, without the one that reads the folder.
std::string OpenFds() {
    std::string list;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return "?";
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.' || std::atoi(e->d_name) == dirfd(dir)) continue;
        list += std::string(list.empty() ? "" : ",") + e->d_name;
    }
    closedir(dir);
    return list;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "silent";
    if (mode == "write" && argc > 2) {
        // Byte i is 'a' + i / 1023, so each block of a read shows which it is.
        const long count = std::atol(argv[2]);
        std::string text;
        for (long i = 0; i < count; ++i) text += static_cast<char>('a' + i / 1023);
        WriteAll(text);
    } else if (mode == "zero") {
        WriteAll(std::string("abc\0def", 7));
    } else if (mode == "exit" && argc > 2) {
        return std::atoi(argv[2]);
    } else if (mode == "term") {
        raise(SIGTERM);
    } else if (mode == "args") {
        std::string text;
        for (int i = 0; i < argc; ++i) text += std::string(argv[i]) + '\x1f';
        WriteAll(text);
    } else if (mode == "env") {
        char cwd[4096] = {};
        if (!getcwd(cwd, sizeof cwd)) cwd[0] = '?';
        WriteAll(std::string("cwd=") + cwd + "\n" +
                 "session=" + (getsid(0) == getpid() ? "own" : "inherited") + "\n" +
                 StatusLine("SigBlk") + "\n" + StatusLine("SigIgn") +
                 "\nfd0=" + Link("/proc/self/fd/0") + "\nfd1=" + Link("/proc/self/fd/1") +
                 "\nfd2=" + Link("/proc/self/fd/2") + "\nfds=" + OpenFds() + "\n");
    } else if (mode == "twice") {
        WriteAll("one");
        usleep(200 * 1000);
        WriteAll("two");
    } else if (mode == "pid-then-wait") {
        WriteAll(std::to_string(getpid()) + "\n");
        pause();
    } else if (mode == "sleep" && argc > 2) {
        usleep(static_cast<useconds_t>(std::atol(argv[2])) * 1000);
    } else if (mode != "silent") {
        // Anything else: which file is running.
        WriteAll(Link("/proc/self/exe"));
    }
    return 0;
}
