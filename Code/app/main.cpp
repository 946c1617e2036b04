// Program start: the application, the seams, the three windows, the loop.
#include <QIcon>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "AdvanceSystem.h"
#include "ConsoleMessages.h"
#include "DesktopOpener.h"
#include "ErrorReport.h"
#include "FuncObjects.h"
#include "LogindShutdown.h"
#include "MediaProbe.h"
#include "MemoryTrim.h"
#include "ProcessTable.h"
#include "QtPlayer.h"
#include "QtPorts.h"
#include "Skin.h"
#include "Unit_Convert.h"
#include "Unit_Converting.h"
#include "Unit_Option.h"

int main(int argc, char** argv) {
    TOrvApplication app(argc, argv);
    // Window titles come from the one title constant; the display name stays
    // unset, since Qt would append it to every title.
    QApplication::setWindowIcon(QIcon(SkinPixmap("icon.svg", QSize(256, 256))));
    // The main window closing ends the program, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);

    const std::string appPath = TAppFunc().GetAppPath();

    TQtEventPump pump;
    TQtMessages boxes;
    TConsoleMessages console(std::cout);
    const char* messagesSwitch = std::getenv(kMessagesSwitch);
    const bool toConsole = messagesSwitch != nullptr && std::strcmp(messagesSwitch, "stdout") == 0;
    IMessages& messages = toConsole ? static_cast<IMessages&>(console) : boxes;
    TQtFileDialogs dialogs;
    TAdvanceSystem runner(appPath);
    TProcessTable processes;
    TDesktopOpener desktop;
    TLogindShutdown shutdown;
    TMemoryTrim memory;
    TMediaProbe probe;
    TQtPlayer player;

    TPorts ports;
    ports.Pump = &pump;
    ports.Messages = &messages;
    ports.Dialogs = &dialogs;
    ports.Runner = &runner;
    ports.Processes = &processes;
    ports.Desktop = &desktop;
    ports.Shutdown = &shutdown;
    ports.Memory = &memory;
    ports.Probe = &probe;
    ports.Player = &player;
    TSysFunc::Processes = &processes;
    app.SetErrorReport(&messages);

    // The models outlive the windows that show them.
    TForms forms;
    TFrmMainForm frmMainForm(forms, ports, appPath);
    if (!frmMainForm.SiblingFilesFound()) {
        // Nothing was shown but the messages; asking Qt to quit before its
        // loop runs would do nothing, so the program ends here.
        return EXIT_FAILURE;
    }
    frmMainForm.Preview().AttachPlayer(player);
    auto* frmConverting = new TfrmConverting(forms, frmMainForm.Proc(), ports, &frmMainForm);
    auto* frmOption = new TfrmOption(forms, frmMainForm.Proc(), ports, &frmMainForm);
    frmMainForm.SetOptionForm(frmOption);
    TQtConvertWindows windows(frmConverting, frmMainForm.Contents(),
                              [] { QCoreApplication::exit(0); });
    ports.Windows = &windows;
    frmMainForm.OnClosed = [] { QCoreApplication::quit(); };

    frmMainForm.show();
    const int status = app.exec();
    app.SetErrorReport(nullptr);
    return status;
}
