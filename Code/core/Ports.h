// The seams between the logic in core and the system or the desktop.
// Core declares them; platform and app implement them; main wires the real
// ones together and tests wire scripted doubles. Each port blocks only
// where its comment says so.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Pending window messages and sleeping.
class IEventPump {
public:
    virtual ~IEventPump() = default;
    // One pass over the pending window messages.
    virtual void ProcessMessages() = 0;
    // Sleeps the calling thread; no messages are processed meanwhile.
    virtual void Sleep(int ms) = 0;
};

// Button identifiers returned by IMessages::ShowInfoMsg.
enum TMsgButton : int { mbNone = 0, mbOK = 1, mbCancel = 2, mbYes = 6, mbNo = 7 };

// Message boxes, questions and the one-line input box. Each is owned by no
// window, so it can always be closed, and is captioned with the program's
// title. Each blocks until the user answers.
class IMessages {
public:
    virtual ~IMessages() = default;
    // Kinds 0 error, 1 warning, 2 question, 3 information; OK alone.
    // Another kind shows nothing and returns false.
    virtual bool ShowMsg(const std::string& text, int kind) = 0;
    // Information icon; kind 1 OK, 2 Yes and No, 3 Yes, No and Cancel.
    // Returns the pressed button; another kind shows nothing and returns mbNone.
    virtual int ShowInfoMsg(const std::string& text, int kind) = 0;
    // Yes and No, no icon. True for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // Input box with caption, prompt and an edit field starting with value.
    // True when confirmed; value then holds the edit field's text.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value) = 0;
    // The default error report: the error's text, error icon; the program goes on.
    virtual void ShowError(const std::string& text) = 0;
};

// One entry of a file dialog's filter.
struct TFileFilter {
    std::string Description;
    std::vector<std::string> Patterns;  // such as "*.avi"
};

// Modal file and folder dialogs.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // Multiple selection; the chosen paths in the dialog's order, empty on cancel.
    virtual std::vector<std::string> OpenFiles(const std::string& initialFolder,
                                               const std::vector<TFileFilter>& filters) = 0;
    // Folders only, no preselection; nothing on cancel.
    virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
};

// How a started child ended.
struct TRunResult {
    bool Started = false;   // false: nothing could be started, no callback was called
    bool Exited = false;    // ended by itself (ExitStatus valid)
    int ExitStatus = -1;    // its exit status when Exited
    int TermSignal = 0;     // the signal that ended it, when not Exited
    bool Succeeded() const { return Started && Exited && ExitStatus == 0; }
};

// Starts one command line as a child with its output in a pipe, hands each
// chunk of output to the callback and returns when the child has ended.
class IProcessRunner {
public:
    virtual ~IProcessRunner() = default;
    // program: the file to start when the caller knows it (empty: found
    // from the line's first token). line: the whole command line, split
    // by the runner, never by a shell.
    virtual TRunResult RunProcess(const std::string& program, const std::string& line,
                                  const std::function<void(const std::string&)>& callback) = 0;
};

// A running process of the program's own user.
struct TProcessEntry {
    int Pid = 0;
    std::string Name;  // the image name, exactly as the system keeps it
};

// The process list and the signals that stop a process.
class IProcessTable {
public:
    virtual ~IProcessTable() = default;
    // Live processes (no zombies) of the program's own user, in list order.
    virtual std::vector<TProcessEntry> Snapshot() = 0;
    // Asks the process to end (force: kill it outright). The name is checked
    // again first, so a reused process id is never hit. True when the
    // signal was delivered.
    virtual bool Terminate(const TProcessEntry& process, bool force) = 0;
};

// Opening folders and addresses with the desktop's default programs.
// Each returns at once; failures are not reported.
class IDesktop {
public:
    virtual ~IDesktop() = default;
    virtual void OpenFolder(const std::string& folder) = 0;
    // An address as a user would type it (a web address, "mailto:...").
    virtual void OpenAddress(const std::string& address) = 0;
    // A local file, opened with its default program.
    virtual void OpenLocalFile(const std::string& path) = 0;
};

// The request to switch the computer off. No test may reach the real one.
class IShutdown {
public:
    virtual ~IShutdown() = default;
    // True when the request was accepted.
    virtual bool PowerOff() = 0;
};

// Gives unused memory back to the system.
class IMemoryTrim {
public:
    virtual ~IMemoryTrim() = default;
    virtual void TrimWorkingSet() = 0;
};

// Reads a media file's duration.
class IMediaProbe {
public:
    virtual ~IMediaProbe() = default;
    // Duration in milliseconds; a negative value when the file cannot be probed.
    virtual int64_t DurationMs(const std::string& path) = 0;
};

// The preview's media player. Everything but Open returns at once.
class IPlayer {
public:
    virtual ~IPlayer() = default;
    // Clears what is loaded, then loads path and waits (window messages
    // flowing, with a time limit) until it is loaded or has failed.
    // True when loaded; after a failure nothing is loaded.
    virtual bool Open(const std::string& path) = 0;
    // A file is loaded.
    virtual bool IsActive() const = 0;
    // Each throws std::runtime_error when the player refuses.
    virtual void Run() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    // Unloads and clears; afterwards IsActive() is false.
    virtual void Close() = 0;
    virtual int64_t PositionMs() const = 0;
    virtual int64_t DurationMs() const = 0;
    // Absolute position; ignored when nothing is loaded.
    virtual void SeekMs(int64_t ms) = 0;
};

// The windows the batch shows, hides and disables.
class IConvertWindows {
public:
    virtual ~IConvertWindows() = default;
    // Shows the progress window; its show handler runs only when it was hidden.
    virtual void ShowProgressWindow() = 0;
    virtual void HideProgressWindow() = 0;
    virtual bool ProgressWindowVisible() const = 0;
    // Enables or disables the main window's contents.
    virtual void SetMainWindowEnabled(bool enabled) = 0;
    // Ends the program at once (after a shutdown request).
    virtual void EndProgram() = 0;
};

// The set of ports one program (or one test) runs with. Unset ports fall
// back to harmless doubles that do nothing.
struct TPorts {
    TPorts();
    IEventPump* Pump;
    IMessages* Messages;
    IFileDialogs* Dialogs;
    IProcessRunner* Runner;
    IProcessTable* Processes;
    IDesktop* Desktop;
    IShutdown* Shutdown;
    IMemoryTrim* Memory;
    IMediaProbe* Probe;
    IPlayer* Player;
    IConvertWindows* Windows;
};
