#include "ProcessTable.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <utility>

#include "PidFd.h"

namespace {

std::optional<std::string> ReadSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

std::optional<int> ParsePid(const char* name) {
    const char* end = name + std::char_traits<char>::length(name);
    int pid = 0;
    const auto [ptr, ec] = std::from_chars(name, end, pid);
    if (ec != std::errc() || ptr != end || pid <= 0) return std::nullopt;
    return pid;
}

// The value after "Key:" in a status file, up to the end of its line.
std::optional<std::string> StatusField(const std::string& status, const std::string& key) {
    const std::string label = key + ":";
    std::size_t pos = 0;
    while (pos < status.size()) {
        std::size_t end = status.find('\n', pos);
        if (end == std::string::npos) end = status.size();
        if (status.compare(pos, label.size(), label) == 0) {
            return status.substr(pos + label.size(), end - pos - label.size());
        }
        pos = end + 1;
    }
    return std::nullopt;
}

struct TProcInfo {
    std::string Name;
    long RealUid = -1;
    char State = '?';
};

std::optional<TProcInfo> ReadProcess(const std::string& procRoot, int pid) {
    const std::string folder = procRoot + std::to_string(pid) + "/";
    std::optional<std::string> comm = ReadSmallFile(folder + "comm");
    std::optional<std::string> status = ReadSmallFile(folder + "status");
    if (!comm || !status) return std::nullopt;  // it has gone meanwhile
    TProcInfo info;
    info.Name = std::move(*comm);
    if (!info.Name.empty() && info.Name.back() == '\n') info.Name.pop_back();
    const std::optional<std::string> uid = StatusField(*status, "Uid");
    const std::optional<std::string> state = StatusField(*status, "State");
    if (!uid || !state) return std::nullopt;
    std::istringstream uids(*uid);
    if (!(uids >> info.RealUid)) return std::nullopt;
    const std::size_t letter = state->find_first_not_of(" \t");
    if (letter == std::string::npos) return std::nullopt;
    info.State = (*state)[letter];
    return info;
}

bool Counts(const TProcInfo& info) {
    // Zombies and dead entries are not running; other users' processes are
    // none of the program's business.
    return info.RealUid == static_cast<long>(getuid()) && info.State != 'Z' && info.State != 'X';
}

}  // namespace

TProcessTable::TProcessTable(std::string procRoot) : procRoot_(std::move(procRoot)) {}

std::vector<TProcessEntry> TProcessTable::Snapshot() {
    std::vector<int> pids;
    if (DIR* dir = opendir(procRoot_.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (const std::optional<int> pid = ParsePid(entry->d_name)) pids.push_back(*pid);
        }
        closedir(dir);
    }
    std::sort(pids.begin(), pids.end());
    std::vector<TProcessEntry> list;
    for (const int pid : pids) {
        const std::optional<TProcInfo> info = ReadProcess(procRoot_, pid);
        if (info && Counts(*info)) list.push_back({pid, info->Name});
    }
    return list;
}

bool TProcessTable::Terminate(const TProcessEntry& process, bool force) {
    if (process.Pid <= 0) return false;
    const int pidfd = OpenPidFd(process.Pid);
    if (pidfd < 0) return false;
    // The pidfd holds on to this very process: if the id has been reused
    // since the snapshot, the name or user read now shows it, and if the
    // process ends after this check, the signal cannot reach a newcomer.
    const std::optional<TProcInfo> info = ReadProcess(procRoot_, process.Pid);
    bool delivered = false;
    if (info && info->Name == process.Name && Counts(*info)) {
        delivered = SendSignalToPidFd(pidfd, force ? SIGKILL : SIGTERM);
    }
    close(pidfd);
    return delivered;
}
