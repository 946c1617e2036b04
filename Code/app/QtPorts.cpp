#include "QtPorts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QStringList>
#include <QThread>

#include "AppTitle.h"
#include "QtText.h"

void TQtEventPump::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TQtEventPump::Sleep(int ms) {
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

namespace {

std::unique_ptr<QMessageBox> MakeBox(const std::string& text, QMessageBox::Icon icon,
                                     QMessageBox::StandardButtons buttons) {
    auto box = std::make_unique<QMessageBox>(icon, QString::fromUtf8(kAppTitle), ToQString(text),
                                             buttons, nullptr);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

// Runs a box modally and gives the focus back to the window that had it.
QMessageBox::StandardButton Run(QMessageBox& box) {
    QPointer<QWidget> active = QApplication::activeWindow();
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    if (active) active->activateWindow();
    return pressed;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMsgBox(const std::string& text, int kind) {
    static const QMessageBox::Icon kIcons[] = {QMessageBox::Critical, QMessageBox::Warning,
                                               QMessageBox::Question, QMessageBox::Information};
    if (kind < 0 || kind > 3) return nullptr;
    return MakeBox(text, kIcons[kind], QMessageBox::Ok);
}

std::unique_ptr<QMessageBox> MakeInfoMsgBox(const std::string& text, int kind) {
    switch (kind) {
        case 1:
            return MakeBox(text, QMessageBox::Information, QMessageBox::Ok);
        case 2:
            return MakeBox(text, QMessageBox::Information, QMessageBox::Yes | QMessageBox::No);
        case 3:
            return MakeBox(text, QMessageBox::Information,
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        default:
            return nullptr;
    }
}

int InfoMsgResult(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return mbOK;
        case QMessageBox::Yes:
            return mbYes;
        case QMessageBox::No:
            return mbNo;
        case QMessageBox::Cancel:
            return mbCancel;
        default:
            return mbNone;
    }
}

bool TQtMessages::ShowMsg(const std::string& text, int kind) {
    auto box = MakeMsgBox(text, kind);
    if (!box) return false;
    Run(*box);
    return true;
}

int TQtMessages::ShowInfoMsg(const std::string& text, int kind) {
    auto box = MakeInfoMsgBox(text, kind);
    if (!box) return mbNone;
    return InfoMsgResult(Run(*box));
}

bool TQtMessages::AskYesNo(const std::string& text) {
    auto box = MakeBox(text, QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No);
    return Run(*box) == QMessageBox::Yes;
}

bool TQtMessages::InputQuery(const std::string& caption, const std::string& prompt,
                             std::string& value) {
    QPointer<QWidget> active = QApplication::activeWindow();
    bool ok = false;
    const QString text = QInputDialog::getText(nullptr, ToQString(caption), ToQString(prompt),
                                               QLineEdit::Normal, ToQString(value), &ok);
    if (active) active->activateWindow();
    if (ok) value = FromQString(text);
    return ok;
}

void TQtMessages::ShowError(const std::string& text) {
    auto box = MakeBox(text, QMessageBox::Critical, QMessageBox::Ok);
    Run(*box);
}

QStringList FileDialogFilters(const std::vector<TFileFilter>& filters) {
    QStringList entries;
    for (const auto& filter : filters) {
        QStringList patterns;
        for (const auto& pattern : filter.Patterns) patterns << ToQString(pattern);
        entries << ToQString(filter.Description) + " (" + patterns.join(' ') + ")";
    }
    return entries;
}

QString FileDialogFilter(const std::vector<TFileFilter>& filters) {
    return FileDialogFilters(filters).join(";;");
}

void PrepareOpenDialog(QFileDialog& dialog, const std::string& initialFolder,
                       const std::vector<TFileFilter>& filters) {
    dialog.setWindowTitle(QString());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setDirectory(ToQString(initialFolder));
    // The descriptions hold brackets of their own: the user sees them
    // whole, without the pattern lists behind them. The desktop's own
    // dialogs cut a description at its first bracket, so Qt's is used.
    dialog.setOptions(QFileDialog::HideNameFilterDetails | QFileDialog::DontUseNativeDialog);
    const QStringList entries = FileDialogFilters(filters);
    dialog.setNameFilters(entries);
    if (!entries.isEmpty()) dialog.selectNameFilter(entries.front());
}

std::vector<std::string> TQtFileDialogs::OpenFiles(const std::string& initialFolder,
                                                   const std::vector<TFileFilter>& filters) {
    QPointer<QWidget> active = QApplication::activeWindow();
    QFileDialog dialog;
    PrepareOpenDialog(dialog, initialFolder, filters);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (active) active->activateWindow();
    if (!accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(chosen.size()));
    for (const auto& path : chosen) paths.push_back(FromQString(path));
    return paths;
}

std::optional<std::string> TQtFileDialogs::ChooseFolder(const std::string& title) {
    const QString folder = QFileDialog::getExistingDirectory(nullptr, ToQString(title), QString(),
                                                             QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) return std::nullopt;
    return FromQString(folder);
}

TQtConvertWindows::TQtConvertWindows(QWidget* progressWindow, QWidget* contents,
                                     std::function<void()> endProgram)
    : progress_(progressWindow), contents_(contents), endProgram_(std::move(endProgram)) {}

void TQtConvertWindows::ShowProgressWindow() {
    if (!progress_) return;
    if (!progress_->isVisible()) progress_->show();
    progress_->raise();
}

void TQtConvertWindows::HideProgressWindow() {
    if (progress_) progress_->hide();
}

bool TQtConvertWindows::ProgressWindowVisible() const {
    return progress_ && progress_->isVisible();
}

void TQtConvertWindows::SetMainWindowEnabled(bool enabled) {
    if (contents_) contents_->setEnabled(enabled);
}

void TQtConvertWindows::EndProgram() {
    if (endProgram_) endProgram_();
}
