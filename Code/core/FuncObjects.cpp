#include "FuncObjects.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "TextConvert.h"

namespace fs = std::filesystem;

TAppFunc* AppFunc = nullptr;
TSysFunc* SysFunc = nullptr;
TStrFunc* StrFunc = nullptr;
TFileFunc* FileFunc = nullptr;

IProcessTable* TSysFunc::Processes = nullptr;

namespace {

std::string& AppPathOverride() {
    static std::string folder;
    return folder;
}

std::string ExecutableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string TimeText(const char* format, const std::tm& when) {
    char text[128];
    const size_t length = std::strftime(text, sizeof text, format, &when);
    return std::string(text, length);
}

// Writes all of text; false with errno set when the file refuses.
bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

void ReportLogFailure(const std::string& path, int error) {
    std::string line = "Orvanel: log entry not written to " + path + ": " + std::strerror(error);
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';  // one line, whatever the folder is called
    line += '\n';
    std::fputs(line.c_str(), stderr);
}

// The extension of a path's file name, from its last "." with the dot.
std::string FileExt(const std::string& path) {
    const size_t nameStart = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return {};
    return path.substr(dot);
}

// Whether an entry (of any kind, a dangling link included) exists at exactly
// this path. On a file system that ignores letter case this also finds an
// entry whose name differs only in case.
bool EntryExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

// ---------------------------------------------------------------- TAppFunc

std::string TAppFunc::GetAppPath() const {
    if (!AppPathOverride().empty()) return AppPathOverride();
    static const std::string folder = ExecutableFolder();
    return folder;
}

void TAppFunc::SetAppPath(const std::string& folder) {
    AppPathOverride() = folder;
    if (!folder.empty() && folder.back() != '/') AppPathOverride() += '/';
}

void TAppFunc::WriteLog(const std::string& message) const {
    std::string path;
    try {
        path = GetAppPath() + "log.txt";
        // One clock reading for both parts, so an entry written at midnight
        // cannot carry one day's date with the next day's time.
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        if (const std::tm* t = std::localtime(&now)) local = *t;
        const std::string line = "Castemir Soft " + TimeText("%x", local) + " " +
                                 TimeText("%X", local) + "|" + message + "\r\n";

        // O_NONBLOCK: a FIFO named log.txt without a reader must not hang the program.
        const int fd = ::open(
            path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
        if (fd < 0) return ReportLogFailure(path, errno);
        const bool written = WriteAll(fd, line);
        const int writeError = errno;
        const bool closed = ::close(fd) == 0;
        if (!written) return ReportLogFailure(path, writeError);
        if (!closed) return ReportLogFailure(path, errno);
    } catch (...) {
        // Logging never stops the work that wanted to log.
        ReportLogFailure(path, ENOMEM);
    }
}

// ---------------------------------------------------------------- TStrFunc

std::string TStrFunc::GetLastPart(const std::string& text, const std::string& separator) const {
    if (separator.empty()) return text;
    std::string rest = text;
    for (size_t pos = rest.find(separator); pos != std::string::npos; pos = rest.find(separator))
        rest.erase(0, pos + separator.size());
    return rest;
}

// --------------------------------------------------------------- TFileFunc

std::string TFileFunc::GetFilePath(const std::string& path) const {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string TFileFunc::GetFileNameNoExt(const std::string& path) const {
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// Linux has no archive, hidden or read-only attributes. The rule "skip an
// entry whose only attribute is the directory attribute" maps like this:
// "." and ".." are always skipped (the iterator never returns them); a
// plain directory is skipped; a directory whose name starts with "." (hidden)
// or that lacks its owner's write permission (read-only) carries another
// attribute and is listed. Files, links (never followed), FIFOs and every
// other kind of entry are listed.
std::vector<std::string> TFileFunc::GetFileList(const std::string& folder,
                                                const std::string& filter) const {
    std::vector<std::string> list;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? "." : folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code statError;
        const fs::file_status status = fs::symlink_status(it->path(), statError);
        if (!statError && fs::is_directory(status)) {
            const bool hidden = name[0] == '.';
            const bool readOnly =
                (status.permissions() & fs::perms::owner_write) == fs::perms::none;
            if (!hidden && !readOnly) continue;
        }
        const std::string full = folder + name;
        if (filter.empty() || FileExt(full) == filter) list.push_back(full);
    }
    return list;
}

std::string TFileFunc::GetUniqueFileName(const std::string& path) {
    FBaseName = GetFileNameNoExt(path);
    return FindFreeFileName(path);
}

// Walks the candidates in a loop rather than by recursion, so a folder with
// many numbered variants cannot exhaust the stack.
std::string TFileFunc::FindFreeFileName(const std::string& path) const {
    const std::string dir = GetFilePath(path);
    const std::string ext = FileExt(path);
    std::string base = GetFileNameNoExt(path);
    for (;;) {
        const std::string candidate = dir + base + ext;
        bool taken = false;
        for (const std::string& entry : GetFileList(dir, std::string())) {
            if (GetFileNameNoExt(entry) == base) {
                taken = true;
                break;
            }
        }
        // On a case-blind file system, such as a FAT memory card, an entry may
        // clash with a name the exact comparison passes; the encoder would overwrite it.
        if (!taken && !EntryExists(candidate)) return candidate;

        if (base == FBaseName) {
            base += "_1";
        } else {
            // Only numbered candidates made here reach this, so the suffix is decimal.
            const std::string suffix = TStrFunc().GetLastPart(base, '_');
            base = base.substr(0, base.size() - suffix.size()) +
                   std::to_string(static_cast<int64_t>(StrToInt(suffix)) + 1);
        }
    }
}

// ------------------------------------------------------------------ shared

void InitFuncObjects() {
    // Created once and kept for the whole run; later calls hand out the same
    // instances, so nothing leaks and no earlier reference dangles.
    static TAppFunc appFunc;
    static TSysFunc sysFunc;
    static TStrFunc strFunc;
    static TFileFunc fileFunc;
    AppFunc = &appFunc;
    SysFunc = &sysFunc;
    StrFunc = &strFunc;
    FileFunc = &fileFunc;
}
