// Messages written to standard output instead of shown in boxes, each
// answered with the box's default button. The program uses them when
// started with ORVANEL_MESSAGES=stdout, so a script (or a test) can start
// it and read what it would have shown without anyone at the screen.
#pragma once

#include <ostream>

#include "Ports.h"

inline constexpr const char* kMessagesSwitch = "ORVANEL_MESSAGES";

class TConsoleMessages : public IMessages {
  public:
    explicit TConsoleMessages(std::ostream& out) : out_(out) {}
    bool ShowMsg(const std::string& text, int kind) override;
    int ShowInfoMsg(const std::string& text, int kind) override;
    bool AskYesNo(const std::string& text) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    void ShowError(const std::string& text) override;

  private:
    std::ostream& out_;
};
