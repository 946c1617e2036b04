// Shared pieces of the window tests: the suite registry, scripted seams and
// a temporary program folder.
#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Ports.h"

// Suites register themselves; the test program runs the one named on its
// command line, or all of them.
using TSuiteFactory = std::function<std::unique_ptr<QObject>()>;
std::map<std::string, TSuiteFactory>& Suites();

#define ORV_TEST_SUITE(Class)                                                  \
    static const bool kRegistered##Class = [] {                                \
        Suites()[#Class] = [] { return std::unique_ptr<QObject>(new Class); }; \
        return true;                                                           \
    }()

// The built program folder (ORV_APP_DIR), ending in "/".
std::string BuiltAppDir();

// Every message the program wanted to show, in order, answered with the
// boxes' first button.
struct TScriptedMessages : IMessages {
    struct Call {
        std::string Method;
        std::string Text;
        int Kind;
    };
    std::vector<Call> Calls;
    bool ShowMsg(const std::string& text, int kind) override {
        Calls.push_back({"ShowMsg", text, kind});
        return kind >= 0 && kind <= 3;
    }
    int ShowInfoMsg(const std::string& text, int kind) override {
        Calls.push_back({"ShowInfoMsg", text, kind});
        return kind == 1 ? mbOK : kind == 2 || kind == 3 ? mbYes : mbNone;
    }
    bool AskYesNo(const std::string& text) override {
        Calls.push_back({"AskYesNo", text, 0});
        return true;
    }
    bool InputQuery(const std::string& caption, const std::string&, std::string&) override {
        Calls.push_back({"InputQuery", caption, 0});
        return false;
    }
    void ShowError(const std::string& text) override { Calls.push_back({"ShowError", text, 0}); }
    int Count(const std::string& method) const {
        int n = 0;
        for (const auto& call : Calls) n += call.Method == method;
        return n;
    }
};

struct TScriptedDesktop : IDesktop {
    std::vector<std::string> Opened;  // "folder:", "address:" or "file:" and the target
    void OpenFolder(const std::string& folder) override { Opened.push_back("folder:" + folder); }
    void OpenAddress(const std::string& address) override {
        Opened.push_back("address:" + address);
    }
    void OpenLocalFile(const std::string& path) override { Opened.push_back("file:" + path); }
};

// A temporary program folder holding copies of the chosen sibling files.
class TProgramFolder {
  public:
    TProgramFolder();
    bool IsValid() const { return dir_.isValid(); }
    // The folder, ending in "/".
    std::string Path() const;
    // Copies a file of the built program folder into this one.
    bool CopyFromBuild(const std::string& name);
    // Copies any file in under a name.
    bool CopyAs(const std::string& source, const std::string& name);
    bool Write(const std::string& name, const std::string& content);

  private:
    QTemporaryDir dir_;
};
