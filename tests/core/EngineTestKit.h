// Scripted doubles of the ports and a fixture with the shared objects, for
// the tests of the command line, the batch and the progress window.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ConvertingLogic.h"
#include "Forms.h"
#include "FuncObjects.h"
#include "MediaFixtures.h"
#include "Ports.h"
#include "UnitCustomProc.h"
#include "Unit_CommonLib.h"

namespace engine_test {

// Everything the doubles see, in order, as short texts such as "show",
// "sleep 7" or "msg 1 text".
using Journal = std::vector<std::string>;

class FakePump : public IEventPump {
  public:
    explicit FakePump(Journal& journal) : journal_(journal) {}
    void ProcessMessages() override {
        ++pumps;
        // A user's action runs inside message processing, as it does in the program.
        if (onPump) {
            auto action = onPump;
            action();
        }
    }
    void Sleep(int ms) override { journal_.push_back("sleep " + std::to_string(ms)); }
    int pumps = 0;
    std::function<void()> onPump;

  private:
    Journal& journal_;
};

class FakeMessages : public IMessages {
  public:
    explicit FakeMessages(Journal& journal) : journal_(journal) {}
    bool ShowMsg(const std::string& text, int kind) override {
        journal_.push_back("msg " + std::to_string(kind) + " " + text);
        return true;
    }
    int ShowInfoMsg(const std::string&, int) override { return mbOK; }
    bool AskYesNo(const std::string& text) override {
        journal_.push_back("ask " + text);
        return answer;
    }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    void ShowError(const std::string&) override {}
    bool answer = true;

  private:
    Journal& journal_;
};

// The progress window runs its show handler only when it was hidden.
class FakeWindows : public IConvertWindows {
  public:
    explicit FakeWindows(Journal& journal) : journal_(journal) {}
    void ShowProgressWindow() override {
        journal_.push_back("show");
        if (!visible_ && logic) logic->FormShow();
        visible_ = true;
    }
    void HideProgressWindow() override {
        journal_.push_back("hide");
        visible_ = false;
    }
    bool ProgressWindowVisible() const override { return visible_; }
    void SetMainWindowEnabled(bool enabled) override {
        journal_.push_back(enabled ? "main on" : "main off");
        mainEnabled = enabled;
    }
    void EndProgram() override { journal_.push_back("end program"); }
    TConvertingLogic* logic = nullptr;
    bool mainEnabled = true;

  private:
    Journal& journal_;
    bool visible_ = false;
};

class FakeDesktop : public IDesktop {
  public:
    explicit FakeDesktop(Journal& journal) : journal_(journal) {}
    void OpenFolder(const std::string& folder) override { journal_.push_back("open " + folder); }
    void OpenAddress(const std::string&) override {}
    void OpenLocalFile(const std::string&) override {}

  private:
    Journal& journal_;
};

class FakeShutdown : public IShutdown {
  public:
    explicit FakeShutdown(Journal& journal) : journal_(journal) {}
    bool PowerOff() override {
        journal_.push_back("power off");
        return true;
    }

  private:
    Journal& journal_;
};

// The process list: an encoder that the runner starts appears here and
// goes when it ends or is terminated; a stubborn one never goes.
class FakeProcesses : public IProcessTable {
  public:
    std::vector<TProcessEntry> Snapshot() override { return entries; }
    bool Terminate(const TProcessEntry& process, bool force) override {
        ++terminations;
        if (stubborn.count(process.Pid)) return true;
        (void)force;
        const auto before = entries.size();
        std::erase_if(entries, [&](const TProcessEntry& e) { return e.Pid == process.Pid; });
        return entries.size() != before;
    }
    bool Has(int pid) const {
        return std::any_of(entries.begin(), entries.end(),
                           [pid](const TProcessEntry& e) { return e.Pid == pid; });
    }
    std::vector<TProcessEntry> entries;
    std::map<int, bool> stubborn;
    int terminations = 0;
};

// One scripted run of the encoder.
struct TScriptedRun {
    std::vector<std::string> chunks;
    TRunResult result{true, true, 0, 0};
    // Polls of the process list after the run during which the encoder is
    // still listed (it is slow to go away).
    int lingers = 0;
};

// Runs each file from its script: the encoder shows up in the process list,
// hands its chunks to the callback one by one and ends; terminated from
// outside, it ends at once with SIGTERM.
class FakeRunner : public IProcessRunner {
  public:
    FakeRunner(Journal& journal, FakeProcesses& processes)
        : journal_(journal), processes_(processes) {}
    TRunResult RunProcess(const std::string& program, const std::string& line,
                          const std::function<void(const std::string&)>& callback) override {
        journal_.push_back("run");
        programs.push_back(program);
        lines.push_back(line);
        const TScriptedRun run = scripts.empty() ? TScriptedRun{} : scripts.front();
        if (!scripts.empty()) scripts.erase(scripts.begin());
        if (!run.result.Started) return run.result;
        const int pid = nextPid++;
        processes_.entries.push_back({pid, kEncoderName});
        for (const std::string& chunk : run.chunks) {
            callback(chunk);
            if (!processes_.Has(pid)) return TRunResult{true, false, -1, 15};
        }
        if (run.lingers == 0)
            std::erase_if(processes_.entries,
                          [pid](const TProcessEntry& e) { return e.Pid == pid; });
        else
            lingering[pid] = run.lingers;
        return run.result;
    }
    std::vector<TScriptedRun> scripts;
    std::vector<std::string> programs;
    std::vector<std::string> lines;
    std::map<int, int> lingering;
    int nextPid = 1000;

  private:
    Journal& journal_;
    FakeProcesses& processes_;
};

// A process list whose lingering encoders leave after a number of looks.
class LingeringProcesses : public FakeProcesses {
  public:
    std::vector<TProcessEntry> Snapshot() override {
        if (runner)
            for (auto it = runner->lingering.begin(); it != runner->lingering.end();) {
                if (it->second-- <= 0) {
                    const int pid = it->first;
                    std::erase_if(entries, [pid](const TProcessEntry& e) { return e.Pid == pid; });
                    it = runner->lingering.erase(it);
                } else {
                    ++it;
                }
            }
        return entries;
    }
    FakeRunner* runner = nullptr;
};

// The shared objects over a fresh program folder, with every port scripted.
// One world at a time: it points the log and the process query at itself.
class TEngineWorld {
  public:
    TEngineWorld() {
        std::filesystem::create_directory(appDir + "Config");
        outDir = appDir + "out";
        TAppFunc::SetAppPath(appDir);
        InitFuncObjects();
        TSysFunc::Processes = &processes;
        processes.runner = &runner;

        ports.Pump = &pump;
        ports.Messages = &messages;
        ports.Runner = &runner;
        ports.Processes = &processes;
        ports.Desktop = &desktop;
        ports.Shutdown = &shutdown;
        ports.Windows = &windows;
        lib = std::make_unique<TCommonLib>(appDir, ports);
        proc = std::make_unique<TCustomProc>(*lib, forms);
        logic = std::make_unique<TConvertingLogic>(*proc);
        proc->ConvertingLogic = logic.get();
        windows.logic = logic.get();
        proc->Pauses.BeforeEncoderMs = 7;
        proc->Pauses.AfterEncoderMs = 11;
        proc->Pauses.ProcessPollMs = 3;

        proc->FillAllLists();
        proc->ApplyProfile();
        forms.FrmMainForm.edtOutputFolder.SetText(outDir);
    }

    ~TEngineWorld() {
        TAppFunc::SetAppPath("");
        TSysFunc::Processes = nullptr;
    }

    TEngineWorld(const TEngineWorld&) = delete;
    TEngineWorld& operator=(const TEngineWorld&) = delete;

    // A source row: check state, path, start and end time.
    void AddRow(const std::string& path, const std::string& start = "00:00:00",
                const std::string& end = "00:02:00", const std::string& check = "True") {
        forms.FrmMainForm.dxTreeSourceFileInfo.Append(
            {check, path, "1 MB", "00:05:00", start, end, ""});
    }

    TSourceList& Rows() { return forms.FrmMainForm.dxTreeSourceFileInfo; }

    // The messages of log.txt, without their date and time.
    std::vector<std::string> LogMessages() const {
        std::ifstream in(appDir + "log.txt", std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        std::vector<std::string> messages;
        const std::string text = all.str();
        size_t start = 0;
        for (size_t end = text.find("\r\n"); end != std::string::npos;
             end = text.find("\r\n", start)) {
            const std::string line = text.substr(start, end - start);
            messages.push_back(line.substr(line.find('|') + 1));
            start = end + 2;
        }
        return messages;
    }

    std::vector<std::string> LogWith(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& m : LogMessages())
            if (m.rfind(prefix, 0) == 0) found.push_back(m);
        return found;
    }

    // The journal entries that start with one of the prefixes, in order.
    std::vector<std::string> Events(std::initializer_list<std::string> prefixes) const {
        std::vector<std::string> found;
        for (const std::string& e : journal)
            for (const std::string& p : prefixes)
                if (e.rfind(p, 0) == 0) {
                    found.push_back(e);
                    break;
                }
        return found;
    }

    TempFolder folder{"orv-engine-"};
    std::string appDir = folder.path;
    std::string outDir;
    Journal journal;
    FakePump pump{journal};
    FakeMessages messages{journal};
    LingeringProcesses processes;
    FakeRunner runner{journal, processes};
    FakeDesktop desktop{journal};
    FakeShutdown shutdown{journal};
    FakeWindows windows{journal};
    TPorts ports;
    TForms forms;
    std::unique_ptr<TCommonLib> lib;
    std::unique_ptr<TCustomProc> proc;
    std::unique_ptr<TConvertingLogic> logic;
};

class EngineFixture : public ::testing::Test, public TEngineWorld {};

}  // namespace engine_test
