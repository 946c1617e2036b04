// The progress window: its layout, and a batch over scripted encoder runs
// moving its bars and counter, stopped by Stop or by the close command.
#include <QtTest/qtestspontaneevent.h>

#include <QShowEvent>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>

#include "FuncObjects.h"
#include "QtPorts.h"
#include "TestSupport.h"
#include "Unit_Converting.h"

namespace {

struct TAnsweringMessages : TScriptedMessages {
    bool Answer = true;
    bool AskYesNo(const std::string& text) override {
        Calls.push_back({"AskYesNo", text, 0});
        return Answer;
    }
};

// The batch's pauses pass at once; pending events are delivered.
struct TQuickPump : IEventPump {
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void Sleep(int) override {}
};

struct TFakeProcesses : IProcessTable {
    std::vector<TProcessEntry> Entries;
    std::vector<TProcessEntry> Snapshot() override { return Entries; }
    bool Terminate(const TProcessEntry& process, bool) override {
        const auto before = Entries.size();
        std::erase_if(Entries, [&](const TProcessEntry& e) { return e.Pid == process.Pid; });
        return Entries.size() != before;
    }
    bool Has(int pid) const {
        return std::any_of(Entries.begin(), Entries.end(),
                           [pid](const TProcessEntry& e) { return e.Pid == pid; });
    }
};

// Each run hands its chunks over one by one while an encoder process is
// listed; a run whose process was stopped ends at once.
struct TScriptedRuns : IProcessRunner {
    explicit TScriptedRuns(TFakeProcesses& table) : Table(table) {}
    TFakeProcesses& Table;
    std::vector<std::vector<std::string>> Scripts;
    std::function<void(int run, int chunk)> AfterChunk;
    int Runs = 0;
    TRunResult RunProcess(const std::string&, const std::string&,
                          const std::function<void(const std::string&)>& callback) override {
        const int run = Runs++;
        const int pid = 100 + run;
        Table.Entries.push_back({pid, kEncoderName});
        const auto chunks =
            run < static_cast<int>(Scripts.size()) ? Scripts[run] : std::vector<std::string>{};
        for (size_t i = 0; i < chunks.size(); ++i) {
            callback(chunks[i]);
            if (AfterChunk) AfterChunk(run, static_cast<int>(i));
            if (!Table.Has(pid)) return {true, false, -1, 15};
        }
        Table.Terminate({pid, kEncoderName}, false);
        return {true, true, 0, 0};
    }
};

// A video progress line at the given second.
std::string Chunk(int second) {
    return "frame=  123 q=2.0 size=    1234kB time=" + std::to_string(second) +
           ".60 bitrate= 221.5kbits/s\r";
}

struct TBatchFixture {
    TProgramFolder Folder;
    TAnsweringMessages Messages;
    TQuickPump Pump;
    TFakeProcesses Processes;
    TScriptedRuns Runner{Processes};
    TPorts Ports;
    TForms Forms;
    std::unique_ptr<TCommonLib> Lib;
    std::unique_ptr<TCustomProc> Proc;
    QWidget Contents;  // stands for the main window's contents
    std::unique_ptr<TfrmConverting> Window;
    std::unique_ptr<TQtConvertWindows> Windows;

    TBatchFixture() {
        InitFuncObjects();
        TAppFunc::SetAppPath(Folder.Path());
        TSysFunc::Processes = &Processes;
        Ports.Messages = &Messages;
        Ports.Pump = &Pump;
        Ports.Processes = &Processes;
        Ports.Runner = &Runner;
        Lib = std::make_unique<TCommonLib>(Folder.Path(), Ports);
        Proc = std::make_unique<TCustomProc>(*Lib, Forms);
        Proc->Pauses.BeforeEncoderMs = Proc->Pauses.AfterEncoderMs = Proc->Pauses.ProcessPollMs = 0;
        Proc->FillAllLists();
        Proc->ApplyProfile();
        Forms.FrmMainForm.edtOutputFolder.SetText(Folder.Path() + "out");
        Forms.FrmMainForm.chkShowOutputDirectory.SetChecked(false);
        Window = std::make_unique<TfrmConverting>(Forms, *Proc, Ports, nullptr);
        Windows = std::make_unique<TQtConvertWindows>(Window.get(), &Contents, nullptr);
        Ports.Windows = Windows.get();
    }
    ~TBatchFixture() {
        Window.reset();
        TSysFunc::Processes = nullptr;
        TAppFunc::SetAppPath("");
    }
    // Rows of two minutes each.
    void AddRows(int count) {
        for (int i = 0; i < count; ++i)
            Forms.FrmMainForm.dxTreeSourceFileInfo.Append(
                {"True", Folder.Path() + "clip" + std::to_string(i) + ".avi", "1 MB", "00:05:00",
                 "00:00:00", "00:02:00", "00:02:00"});
    }
    void Convert() {
        Proc->CurIndex = 0;
        Proc->ConvertFiles(Forms.FrmMainForm.dxTreeSourceFileInfo);
    }
    // What the window shows: the counter, the overall bar and the file's bar.
    struct TView {
        QString counter;
        int total, totalMax, file, fileMax;
        bool operator==(const TView&) const = default;
    };
    TView View() const {
        return {Window->lblPersent->text(), Window->pbTotal->value(), Window->pbTotal->maximum(),
                Window->ProgressBar1->value(), Window->ProgressBar1->maximum()};
    }
};

}  // namespace

namespace QTest {
template <>
char* toString(const TBatchFixture::TView& v) {
    return qstrdup(QString("%1 | total %2/%3 | file %4/%5")
                       .arg(v.counter)
                       .arg(v.total)
                       .arg(v.totalMax)
                       .arg(v.file)
                       .arg(v.fileMax)
                       .toUtf8()
                       .constData());
}
}  // namespace QTest

class ProgressWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void layout() {
        TBatchFixture f;
        TfrmConverting& w = *f.Window;
        QCOMPARE(w.windowTitle(), QString("Converting"));
        QCOMPARE(w.size(), QSize(435, 222));
        QVERIFY(w.isWindow());
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
        const struct {
            QWidget* control;
            QRect geometry;
        } controls[] = {
            {w.ProgressBar1, {88, 112, 321, 17}},
            {w.pbTotal, {88, 80, 321, 17}},
            {w.statState, {0, 205, 435, 17}},
        };
        for (const auto& c : controls) QCOMPARE(c.control->geometry(), c.geometry);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(w.img[i]->geometry(), QRect(103 + 21 * i, 122, 17, 17));
            QVERIFY(!w.img[i]->isVisibleTo(&w));
        }
        QCOMPARE(w.lblCurFileName->width(), 217);
        QCOMPARE(w.btnStop->size(), QSize(108, 38));
        QCOMPARE(w.statStatePanel->width(), 50);
        QCOMPARE(w.lblInfo->text(), QString("Please wait . . ."));
        QCOMPARE(w.lblCurConvertFileL->text(), QString("Current Convert File:"));
        QCOMPARE(w.lblTotalFilr->text(), QString("Total File:"));
        QCOMPARE(w.lblCurprog->text(), QString("Current File:"));
        QCOMPARE(w.lblPersent->text(), QString("Current: 1, Total: ..."));
        QCOMPARE(w.tmrChanging->interval(), 333);
        QVERIFY(!w.tmrChanging->isActive());
        QVERIFY(!w.pbTotal->isTextVisible() && !w.ProgressBar1->isTextVisible());

        // The mask keeps the skin's outline and the status bar below it.
        QVERIFY(w.mask().contains(QPoint(217, 100)));
        QVERIFY(w.mask().contains(QPoint(25, 213)));
        QVERIFY(!w.mask().contains(QPoint(0, 0)));  // rounded like the main window

        // An empty range is an empty bar, never Qt's busy animation.
        f.Forms.frmConverting.pbTotal.SetMax(0);
        QCOMPARE(w.pbTotal->maximum(), 1);
        QCOMPARE(w.pbTotal->value(), 0);

        // The animation lights one dot after another.
        w.tmrChangingTimer();
        w.tmrChangingTimer();
        for (int i = 0; i < 6; ++i) QCOMPARE(w.img[i]->isVisibleTo(&w), i == 1);
    }

    // Three rows: the counter's three forms, the first chunk of each file
    // moving nothing, and the overall bar at 250 of 300 with the third
    // file at half.
    void batchMovesTheBars() {
        TBatchFixture f;
        f.AddRows(3);
        f.Runner.Scripts = {
            {Chunk(10), Chunk(60)}, {Chunk(5), Chunk(30)}, {Chunk(1), Chunk(60), Chunk(90)}};
        std::vector<TBatchFixture::TView> seen;
        QString firstPanel;
        f.Runner.AfterChunk = [&](int run, int chunk) {
            seen.push_back(f.View());
            if (run == 0 && chunk == 0) {
                firstPanel = f.Window->statStatePanel->Text();
                QVERIFY(f.Window->isVisible());
                QVERIFY(!f.Contents.isEnabled());
                QVERIFY(f.Window->tmrChanging->isActive());
                QCOMPARE(f.Window->lblCurFileName->text().toStdString(),
                         f.Folder.Path() + "clip0.avi");
            }
        };

        f.Convert();

        using V = TBatchFixture::TView;
        const std::vector<V> expected = {
            V{"Current: 1, Total: 3", 0, 1, 0, 1},
            V{"Current: 1 , Total: 3.", 0, 300, 60, 120},
            V{"Current: 1 , Total: 3.", 0, 300, 0, 120},
            V{"Current: 2 , Total: 3.", 100, 300, 30, 120},
            V{"Current: 2 , Total: 3.", 100, 300, 0, 120},
            V{"Current: 3 , Total: 3.", 200, 300, 60, 120},
            V{"Current: 3 , Total: 3.", 250, 300, 90, 120},
        };
        QCOMPARE(seen.size(), expected.size());
        for (size_t i = 0; i < seen.size(); ++i) QCOMPARE(seen[i], expected[i]);
        QCOMPARE(firstPanel, QString::fromStdString(Chunk(10)));  // raw, line end included
        QVERIFY(!f.Window->isVisible());
        QVERIFY(f.Contents.isEnabled());
    }

    // Stop and the close command ask first; No changes nothing. Yes to Stop
    // resets the bars, Yes to the close command does not; either way no
    // further file is converted. Esc does nothing at all.
    void stopAndClose_data() {
        QTest::addColumn<bool>("viaStop");
        QTest::newRow("Stop") << true;
        QTest::newRow("close command") << false;
    }
    void stopAndClose() {
        QFETCH(bool, viaStop);
        TBatchFixture f;
        f.AddRows(3);
        f.Runner.Scripts = {{Chunk(10), Chunk(60), Chunk(70)}, {Chunk(1)}, {Chunk(1)}};
        const char* question = viaStop ? "Are you sure you want to stop the work ? "
                                       : "Are you sure to stop processing ?";
        TBatchFixture::TView before, afterNo, afterYes;
        bool visibleAfterNo = false, escAsked = true;
        f.Runner.AfterChunk = [&](int run, int chunk) {
            if (run != 0 || chunk != 1) return;
            before = f.View();
            QTest::keyClick(f.Window.get(), Qt::Key_Escape);
            escAsked = f.Messages.Count("AskYesNo") != 0;
            auto stop = [&] {
                if (viaStop)
                    f.Window->btnStop->click();
                else
                    f.Window->close();
            };
            f.Messages.Answer = false;
            stop();
            afterNo = f.View();
            visibleAfterNo = f.Window->isVisible();
            f.Messages.Answer = true;
            stop();
            afterYes = f.View();
        };

        f.Convert();

        QVERIFY(!escAsked);
        QCOMPARE(f.Messages.Count("AskYesNo"), 2);
        QCOMPARE(f.Messages.Calls.back().Text, std::string(question));
        QVERIFY(visibleAfterNo);
        QCOMPARE(afterNo, before);
        if (viaStop) {
            QCOMPARE(afterYes, (TBatchFixture::TView{"Current: 1, Total: ...", 0, 1, 0, 120}));
        } else {
            QCOMPARE(afterYes, before);
        }
        QCOMPARE(f.Runner.Runs, 1);
        QVERIFY(!f.Window->isVisible());
        QVERIFY(f.Contents.isEnabled());
        QVERIFY(f.Processes.Entries.empty());
    }

    // The window system's show event for a restored window is no new show:
    // mid-batch the bars and the counter stay.
    void restoringKeepsTheBars() {
        TBatchFixture f;
        f.AddRows(2);
        f.Runner.Scripts = {{Chunk(1)}, {Chunk(5), Chunk(30)}};
        TBatchFixture::TView before, after;
        f.Runner.AfterChunk = [&](int run, int chunk) {
            if (run != 1 || chunk != 1) return;
            before = f.View();
            QShowEvent restored;
            QSpontaneKeyEvent::setSpontaneous(&restored);
            QApplication::instance()->notify(f.Window.get(), &restored);
            after = f.View();
        };
        f.Convert();
        QCOMPARE(before.counter, QString("Current: 2 , Total: 2."));
        QCOMPARE(after, before);
    }
};

ORV_TEST_SUITE(ProgressWindowTest);

#include "ProgressWindowTest.moc"
