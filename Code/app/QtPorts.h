// The Qt implementations of the seams that core declares in Ports.h.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "Ports.h"

class TQtEventPump : public IEventPump {
  public:
    void ProcessMessages() override;
    void Sleep(int ms) override;
};

// The boxes are owned by no window, so they can always be closed, and are
// captioned with the application title. While one is up every other
// window of the program is blocked; the window that was active before is
// activated again afterwards.
class TQtMessages : public IMessages {
  public:
    bool ShowMsg(const std::string& text, int kind) override;
    int ShowInfoMsg(const std::string& text, int kind) override;
    bool AskYesNo(const std::string& text) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    void ShowError(const std::string& text) override;
};

// The box ShowMsg shows for a kind (0 error, 1 warning, 2 question,
// 3 information; OK alone), or none for another kind.
std::unique_ptr<QMessageBox> MakeMsgBox(const std::string& text, int kind);
// The box ShowInfoMsg shows for a kind (1 OK, 2 Yes No, 3 Yes No Cancel),
// or none for another kind.
std::unique_ptr<QMessageBox> MakeInfoMsgBox(const std::string& text, int kind);
// The answer ShowInfoMsg returns for a pressed button.
int InfoMsgResult(QMessageBox::StandardButton button);

class TQtFileDialogs : public IFileDialogs {
  public:
    std::vector<std::string> OpenFiles(const std::string& initialFolder,
                                       const std::vector<TFileFilter>& filters) override;
    std::optional<std::string> ChooseFolder(const std::string& title) override;
};

// The filter text of the open dialog: one "Description (patterns)" entry
// per filter, separated by ";;", in the filters' order.
QString FileDialogFilter(const std::vector<TFileFilter>& filters);
// The same entries one by one.
QStringList FileDialogFilters(const std::vector<TFileFilter>& filters);

class QFileDialog;
// Sets up the open dialog: several existing files, the initial folder, the
// filters in order with the first selected, and only their descriptions
// shown.
void PrepareOpenDialog(QFileDialog& dialog, const std::string& initialFolder,
                       const std::vector<TFileFilter>& filters);

// The windows the batch shows, hides and disables.
class TQtConvertWindows : public IConvertWindows {
  public:
    // contents: the main window's contents, disabled during a batch while
    // the window itself, and so the progress window and the Options
    // dialog, stays usable. endProgram: ends the program.
    TQtConvertWindows(QWidget* progressWindow, QWidget* contents, std::function<void()> endProgram);
    void ShowProgressWindow() override;
    void HideProgressWindow() override;
    bool ProgressWindowVisible() const override;
    void SetMainWindowEnabled(bool enabled) override;
    void EndProgram() override;

  private:
    QPointer<QWidget> progress_;
    QPointer<QWidget> contents_;
    std::function<void()> endProgram_;
};
