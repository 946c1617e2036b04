// A media player double for the preview and trim tests: it keeps the state
// a real player would, records every call, and fails where the test says.
#pragma once

#include <cstdint>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "Forms.h"
#include "Ports.h"
#include "PreviewLogic.h"
#include "TrimLogic.h"
#include "UnitCustomProc.h"

namespace previewtest {

class ScriptedPlayer : public IPlayer {
  public:
    enum class State { Closed, Stopped, Running, Paused };

    // Script.
    std::set<std::string> Unplayable;  // Open reports failure
    bool OpenThrows = false;
    bool RunThrows = false;
    bool PauseThrows = false;
    bool StopThrows = false;
    int64_t Position = 0;
    int64_t Duration = 0;

    // What happened.
    State Now = State::Closed;
    std::string Loaded;
    std::vector<std::string> Calls;
    std::vector<int64_t> Seeks;

    bool Open(const std::string& path) override {
        Calls.push_back("Open " + path);
        Close();
        if (OpenThrows) throw std::runtime_error("no decoder");
        if (Unplayable.count(path)) return false;
        Loaded = path;
        Now = State::Stopped;
        return true;
    }
    bool IsActive() const override { return Now != State::Closed; }
    void Run() override {
        Calls.push_back("Run");
        if (RunThrows) throw std::runtime_error("cannot run");
        Now = State::Running;
    }
    void Pause() override {
        Calls.push_back("Pause");
        if (PauseThrows) throw std::runtime_error("cannot pause");
        Now = State::Paused;
    }
    void Stop() override {
        Calls.push_back("Stop");
        if (StopThrows) throw std::runtime_error("cannot stop");
        Now = State::Stopped;
    }
    void Close() override {
        Now = State::Closed;
        Loaded.clear();
    }
    int64_t PositionMs() const override { return Position; }
    int64_t DurationMs() const override { return Duration; }
    void SeekMs(int64_t ms) override {
        Seeks.push_back(ms);
        Position = ms;
    }
};

// Message boxes must never appear in the preview and the trimming.
class CountingMessages : public IMessages {
  public:
    int Shown = 0;
    bool ShowMsg(const std::string&, int) override { return ++Shown, true; }
    int ShowInfoMsg(const std::string&, int) override { return ++Shown, mbOK; }
    bool AskYesNo(const std::string&) override { return ++Shown, false; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override {
        return ++Shown, false;
    }
    void ShowError(const std::string&) override { ++Shown; }
};

// The preview and the trim handlers wired to a scripted player and a
// counting message seam, over an empty list.
struct PlayerRig {
    TPorts ports;
    ScriptedPlayer player;
    CountingMessages messages;
    TCommonLib lib{"/nonexistent/", ports};
    TForms forms;
    TCustomProc proc{lib, forms};
    TPreviewLogic preview{proc};
    TTrimLogic trim{proc};

    PlayerRig() {
        ports.Player = &player;
        ports.Messages = &messages;
    }
    TMainFormModel& Form() { return forms.FrmMainForm; }
    TSourceList& List() { return forms.FrmMainForm.dxTreeSourceFileInfo; }
    TTrimStrip& Strip() { return forms.FrmMainForm.Panel1; }
};

}  // namespace previewtest
