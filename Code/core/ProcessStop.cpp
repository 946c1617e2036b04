// Finding the encoder by its process name and stopping it. The process
// list holds only the program's own user's live processes, so another
// user's encoder is neither waited for nor signalled.
#include <string>
#include <vector>

#include "FuncObjects.h"
#include "Unit_CommonLib.h"

namespace {

// Attempts are 100 ms apart: a process still there after about 3 s of
// requests is killed outright, and after about 10 s the stop gives up, so
// a process that cannot be signalled cannot hold the program forever.
constexpr int kStopPauseMs = 100;
constexpr int kAttemptsBeforeKill = 30;
constexpr int kAttemptsBeforeGivingUp = 100;

std::string FileNamePart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The id of the last entry of that name, or 0 (names compare exactly:
// Linux names are case-sensitive).
int LastMatchingPid(IProcessTable& processes, const std::string& name) {
    int pid = 0;
    for (const TProcessEntry& entry : processes.Snapshot()) {
        if (entry.Name == name) pid = entry.Pid;
    }
    return pid;
}

// Signals every process of that name; true when the signal to the last
// one was delivered.
bool TerminateAllNamed(IProcessTable& processes, const std::string& name, bool force) {
    bool ok = false;
    for (const TProcessEntry& entry : processes.Snapshot()) {
        if (FileNamePart(entry.Name) == name || entry.Name == name) {
            ok = processes.Terminate(entry, force);
        }
    }
    if (!ok) AppFunc->WriteLog("Terminate process error.");
    return ok;
}

}  // namespace

int TSysFunc::ProcessExists(const std::string& name) {
    return Processes ? LastMatchingPid(*Processes, name) : 0;
}

int TCommonLib::GetProcessIdByName(const std::string& name) {
    const int pid = LastMatchingPid(*ports_.Processes, name);
    if (pid == 0) AppFunc->WriteLog("Get Process id error.");
    return pid;
}

bool TCommonLib::KillProcessByName(const std::string& name) {
    EnableDebugPrivilege();
    return TerminateAllNamed(*ports_.Processes, name, false);
}

// No privilege stands between a user and that user's own processes.
bool TCommonLib::EnableDebugPrivilege() {
    return SetPrivilege(0, "SeDebugPrivilege", true);
}

bool TCommonLib::SetPrivilege(int, const std::string&, bool) {
    return true;
}

void TCommonLib::StopEncoder(const std::string& pathOrName) {
    for (const std::string& name : {FileNamePart(pathOrName), std::string(kEncoderName)}) {
        int attempts = 0;
        while (GetProcessIdByName(name) != 0) {
            if (attempts == kAttemptsBeforeGivingUp) {
                AppFunc->WriteLog("Stop encoder error. ->" + name);
                break;
            }
            if (attempts < kAttemptsBeforeKill) {
                KillProcessByName(name);
            } else {
                EnableDebugPrivilege();
                TerminateAllNamed(*ports_.Processes, name, true);
            }
            ++attempts;
            ports_.Pump->Sleep(kStopPauseMs);
            ports_.Pump->ProcessMessages();
        }
    }
}
