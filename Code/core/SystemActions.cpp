// TCommonLib: the message box, the memory trim, the shutdown request and
// opening a folder, each through its port.
#include "Unit_CommonLib.h"

bool TCommonLib::ShowMsg(const std::string& text, int kind) {
    if (kind < 0 || kind > 3) return false;
    return ports_.Messages->ShowMsg(text, kind);
}

void TCommonLib::ClearMemory() {
    ports_.Memory->TrimWorkingSet();
    ports_.Pump->ProcessMessages();
}

void TCommonLib::ShutDownComputer() {
    EnableShutdownPrivilege();
    // Whether the request was accepted changes nothing: the program ends anyway.
    PowerOffComputer();
}

// Nothing to adjust: the shutdown request itself asks for the permission.
void TCommonLib::EnableShutdownPrivilege() {}

bool TCommonLib::PowerOffComputer() {
    return ports_.Shutdown->PowerOff();
}

void TCommonLib::OpenFolder(const std::string& folder) {
    ports_.Desktop->OpenFolder(folder);
}
