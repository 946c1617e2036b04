#include "ConsoleMessages.h"

bool TConsoleMessages::ShowMsg(const std::string& text, int kind) {
    if (kind < 0 || kind > 3) return false;
    out_ << "ShowMsg " << kind << ": " << text << std::endl;
    return true;
}

int TConsoleMessages::ShowInfoMsg(const std::string& text, int kind) {
    if (kind < 1 || kind > 3) return mbNone;
    out_ << "ShowInfoMsg " << kind << ": " << text << std::endl;
    return kind == 1 ? mbOK : mbNo;
}

bool TConsoleMessages::AskYesNo(const std::string& text) {
    out_ << "AskYesNo: " << text << std::endl;
    return false;
}

bool TConsoleMessages::InputQuery(const std::string& caption, const std::string& prompt,
                                  std::string&) {
    out_ << "InputQuery: " << caption << ": " << prompt << std::endl;
    return false;
}

void TConsoleMessages::ShowError(const std::string& text) {
    out_ << "ShowError: " << text << std::endl;
}
