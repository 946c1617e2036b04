// Doubles the integration tests share: a pump that really sleeps, since the
// real encoder runs meanwhile, and message boxes that are recorded instead
// of shown.
#pragma once

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "Ports.h"

namespace integration {

class SleepingPump : public IEventPump {
  public:
    void ProcessMessages() override {}
    void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

// Every message, information and error report, in order.
class RecordingMessages : public IMessages {
  public:
    bool ShowMsg(const std::string& text, int) override {
        shown.push_back(text);
        return true;
    }
    int ShowInfoMsg(const std::string& text, int) override {
        shown.push_back(text);
        return mbOK;
    }
    bool AskYesNo(const std::string&) override { return false; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    void ShowError(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

}  // namespace integration
