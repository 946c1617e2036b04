// The Qt side of the seams: which box each message kind gets, the open
// dialog's filter, and what the batch's window calls do to the windows.
#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <sstream>

#include "ConsoleMessages.h"
#include "QtPorts.h"
#include "TestSupport.h"

Q_DECLARE_METATYPE(QMessageBox::Icon)
Q_DECLARE_METATYPE(QMessageBox::StandardButtons)

class QtPortsTest : public QObject {
    Q_OBJECT
  private slots:
    void msgBoxForEachKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::newRow("0 error") << 0 << QMessageBox::Critical;
        QTest::newRow("1 warning") << 1 << QMessageBox::Warning;
        QTest::newRow("2 question, still OK alone") << 2 << QMessageBox::Question;
        QTest::newRow("3 information") << 3 << QMessageBox::Information;
    }
    void msgBoxForEachKind() {
        QFETCH(int, kind);
        QFETCH(QMessageBox::Icon, icon);
        const auto box = MakeMsgBox("The path is invalid.", kind);
        QVERIFY(box);
        QCOMPARE(box->icon(), icon);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box->windowTitle(), QString("Orvanel"));
        QCOMPARE(box->text(), QString("The path is invalid."));
        QVERIFY(box->parentWidget() == nullptr);
    }

    void otherKindsShowNothing() {
        for (int kind : {-1, 4, 100}) {
            QVERIFY(!MakeMsgBox("x", kind));
            TQtMessages messages;
            QVERIFY(!messages.ShowMsg("x", kind));
        }
        for (int kind : {0, 4}) {
            QVERIFY(!MakeInfoMsgBox("x", kind));
            TQtMessages messages;
            QCOMPARE(messages.ShowInfoMsg("x", kind), int(mbNone));
        }
    }

    void infoMsgButtons_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QMessageBox::StandardButtons>("buttons");
        QTest::newRow("1") << 1 << QMessageBox::StandardButtons(QMessageBox::Ok);
        QTest::newRow("2") << 2 << (QMessageBox::Yes | QMessageBox::No);
        QTest::newRow("3") << 3 << (QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    }
    void infoMsgButtons() {
        QFETCH(int, kind);
        QFETCH(QMessageBox::StandardButtons, buttons);
        const auto box = MakeInfoMsgBox("'libPanes.so' is not found.", kind);
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->standardButtons(), buttons);
        QCOMPARE(box->windowTitle(), QString("Orvanel"));
    }

    void infoMsgAnswers() {
        QCOMPARE(InfoMsgResult(QMessageBox::Ok), int(mbOK));
        QCOMPARE(InfoMsgResult(QMessageBox::Yes), int(mbYes));
        QCOMPARE(InfoMsgResult(QMessageBox::No), int(mbNo));
        QCOMPARE(InfoMsgResult(QMessageBox::Cancel), int(mbCancel));
    }

    // Qt takes the last parenthesised group as the patterns, so
    // descriptions that hold parentheses of their own keep them.
    void openDialogFilterKeepsOrderAndDescriptions() {
        const std::vector<TFileFilter> filters = {
            {"Supported Files", {"*.3gp", "*.mp4", "*.avi"}},
            {"3GP, 3G2 Files (*.3gp,*.3g2)", {"*.3gp"}},
            {"FLV ,SWF Flash Video (*.flv,swf)", {"*.flv", "*.swf"}},
        };
        QCOMPARE(FileDialogFilter(filters),
                 QString("Supported Files (*.3gp *.mp4 *.avi);;"
                         "3GP, 3G2 Files (*.3gp,*.3g2) (*.3gp);;"
                         "FLV ,SWF Flash Video (*.flv,swf) (*.flv *.swf)"));
    }

    // Disabling the main window disables its contents only, so the progress
    // window (a window of its own above it) stays usable.
    void batchDisablesContentsNotWindows() {
        QWidget mainWindow;
        auto* contents = new QWidget(&mainWindow);
        auto* field = new QLineEdit(contents);
        auto* progress = new QWidget(&mainWindow, Qt::Window);
        int ended = 0;
        TQtConvertWindows windows(progress, contents, [&ended] { ++ended; });
        mainWindow.show();

        windows.ShowProgressWindow();
        windows.SetMainWindowEnabled(false);
        QVERIFY(windows.ProgressWindowVisible());
        QVERIFY(!field->isEnabled());
        QVERIFY(mainWindow.isEnabled());
        QVERIFY(progress->isEnabled());

        windows.HideProgressWindow();
        windows.SetMainWindowEnabled(true);
        QVERIFY(!windows.ProgressWindowVisible());
        QVERIFY(field->isEnabled());

        windows.EndProgram();
        QCOMPARE(ended, 1);
    }

    // What scripts read when the program speaks to standard output.
    void consoleMessagesAnswerWithTheDefault() {
        std::ostringstream out;
        TConsoleMessages messages(out);
        QCOMPARE(
            messages.ShowInfoMsg("'libAssets.so' is not found. Please reinstall this program.", 1),
            int(mbOK));
        QVERIFY(messages.ShowMsg("The path is invalid.", 1));
        QVERIFY(!messages.ShowMsg("not shown", 7));
        QVERIFY(!messages.AskYesNo("Stop?"));
        messages.ShowError("broken");
        QCOMPARE(out.str(),
                 std::string("ShowInfoMsg 1: 'libAssets.so' is not found. Please reinstall this "
                             "program.\nShowMsg 1: The path is invalid.\nAskYesNo: Stop?\n"
                             "ShowError: broken\n"));
    }
};

ORV_TEST_SUITE(QtPortsTest);
#include "QtPortsTest.moc"
