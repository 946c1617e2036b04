#include "Ports.h"

namespace {

// Doubles that do nothing, so a test wires only the ports it looks at.
class NullPump : public IEventPump {
public:
    void ProcessMessages() override {}
    void Sleep(int) override {}
};

class NullMessages : public IMessages {
public:
    bool ShowMsg(const std::string&, int kind) override { return kind >= 0 && kind <= 3; }
    int ShowInfoMsg(const std::string&, int kind) override {
        return kind == 1 ? mbOK : (kind == 2 || kind == 3) ? mbNo : mbNone;
    }
    bool AskYesNo(const std::string&) override { return false; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    void ShowError(const std::string&) override {}
};

class NullDialogs : public IFileDialogs {
public:
    std::vector<std::string> OpenFiles(const std::string&, const std::vector<TFileFilter>&) override {
        return {};
    }
    std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
};

class NullRunner : public IProcessRunner {
public:
    TRunResult RunProcess(const std::string&, const std::string&,
                          const std::function<void(const std::string&)>&) override {
        return {};
    }
};

class NullProcesses : public IProcessTable {
public:
    std::vector<TProcessEntry> Snapshot() override { return {}; }
    bool Terminate(const TProcessEntry&, bool) override { return false; }
};

class NullDesktop : public IDesktop {
public:
    void OpenFolder(const std::string&) override {}
    void OpenAddress(const std::string&) override {}
    void OpenLocalFile(const std::string&) override {}
};

class NullShutdown : public IShutdown {
public:
    bool PowerOff() override { return false; }
};

class NullMemory : public IMemoryTrim {
public:
    void TrimWorkingSet() override {}
};

class NullProbe : public IMediaProbe {
public:
    int64_t DurationMs(const std::string&) override { return -1; }
};

class NullPlayer : public IPlayer {
public:
    bool Open(const std::string&) override { return false; }
    bool IsActive() const override { return false; }
    void Run() override {}
    void Pause() override {}
    void Stop() override {}
    void Close() override {}
    int64_t PositionMs() const override { return 0; }
    int64_t DurationMs() const override { return 0; }
    void SeekMs(int64_t) override {}
};

class NullWindows : public IConvertWindows {
public:
    void ShowProgressWindow() override { visible_ = true; }
    void HideProgressWindow() override { visible_ = false; }
    bool ProgressWindowVisible() const override { return visible_; }
    void SetMainWindowEnabled(bool) override {}
    void EndProgram() override {}

private:
    bool visible_ = false;
};

}  // namespace

TPorts::TPorts() {
    static NullPump pump;
    static NullMessages messages;
    static NullDialogs dialogs;
    static NullRunner runner;
    static NullProcesses processes;
    static NullDesktop desktop;
    static NullShutdown shutdown;
    static NullMemory memory;
    static NullProbe probe;
    Pump = &pump;
    Messages = &messages;
    Dialogs = &dialogs;
    Runner = &runner;
    Processes = &processes;
    Desktop = &desktop;
    Shutdown = &shutdown;
    Memory = &memory;
    Probe = &probe;
    static NullPlayer player;
    Player = &player;
    static NullWindows windows;
    Windows = &windows;
}
