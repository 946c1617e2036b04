#include <gtest/gtest.h>

#include "EngineTestKit.h"
#include "Errors.h"

using engine_test::EngineFixture;
using engine_test::Journal;
using engine_test::TEngineWorld;
using engine_test::TScriptedRun;

namespace {

const char* const kFailedHeader = "msg 1 Files converting error! Please check these files:";

void Convert(TEngineWorld& w) {
    // As the Convert button does.
    w.proc->CurIndex = 0;
    w.proc->ConvertFiles(w.Rows());
}

bool EncoderListed(const TEngineWorld& w) {
    for (const TProcessEntry& e : w.processes.entries)
        if (e.Name == kEncoderName) return true;
    return false;
}

class Batch : public EngineFixture {};

TEST_F(Batch, AnEmptyListWarnsOnceAndConvertsNothing) {
    forms.FrmMainForm.chkShutdown.SetChecked(true);
    Convert(*this);
    EXPECT_EQ(Events({"msg", "run", "show", "open", "power", "end"}),
              (Journal{"msg 1 Please add media files you want to convert into the list."}));
    EXPECT_TRUE(LogMessages().empty());
    EXPECT_TRUE(windows.mainEnabled);
}

TEST_F(Batch, ConvertsTheCheckedRowsInTheDesignedRhythmAndOpensTheFolderOnce) {
    AddRow("/clips/a.avi");
    AddRow("/clips/b.avi", "00:00:00", "00:02:00", "False");
    AddRow("/clips/c.avi");
    TScriptedRun first;
    first.chunks = {"frame= 1 q=1 size= 1kB time=0.5 bitrate= 1\r",
                    "frame= 9 q=1 size= 9kB time=60.2 bitrate= 1\r"};
    first.lingers = 2;  // the encoder takes two looks to leave the process list
    runner.scripts = {first, TScriptedRun{}};
    Convert(*this);

    EXPECT_EQ(Events({"show", "main", "sleep", "run", "open", "hide", "msg", "power"}),
              (Journal{"show", "main off", "sleep 7", "run", "sleep 11", "sleep 3", "sleep 3",  // a
                       "show", "main off", "sleep 7", "run", "sleep 11",                        // c
                       "open " + outDir + "/", "hide", "main on"}));
    ASSERT_EQ(runner.lines.size(), 2u);
    EXPECT_EQ(runner.programs, (std::vector<std::string>(2, appDir + "kodra")));
    EXPECT_NE(runner.lines[0].find("\"/clips/a.avi\""), std::string::npos);
    EXPECT_NE(runner.lines[1].find("\"/clips/c.avi\""), std::string::npos);
    EXPECT_EQ(LogWith("parameter: "), (std::vector<std::string>{"parameter: " + runner.lines[0],
                                                                "parameter: " + runner.lines[1]}));
    EXPECT_TRUE(LogWith("Convert error.").empty());
    // The chunks reached the progress window; rows that are not checked still count.
    EXPECT_EQ(forms.frmConverting.statState.Text(), first.chunks[1]);
    // The second chunk of a ran the refresh; c reset the position only.
    EXPECT_EQ(forms.frmConverting.ProgressBar1.Max(), 120);
    EXPECT_EQ(forms.frmConverting.ProgressBar1.Position(), 0);
    EXPECT_EQ(forms.frmConverting.lblCurFileName.Text(), "/clips/a.avi");
    EXPECT_EQ(proc->RowCount, 3);
    EXPECT_FALSE(proc->BatchRunning());
}

TEST_F(Batch, NoCheckedRowStillRunsTheEndActionsUpToTheShutdown) {
    AddRow("/clips/a.avi", "00:00:00", "00:02:00", "False");
    AddRow("/clips/b.avi", "00:00:00", "00:02:00", "False");
    lib->ConvertParam.OutputFolder = "/earlier/";  // the last folder converted into
    forms.FrmMainForm.chkShutdown.SetChecked(true);
    Convert(*this);
    // The shutdown ends the program: nothing is hidden or enabled after it.
    EXPECT_EQ(Events({"show", "main", "run", "open", "hide", "power", "end", "msg"}),
              (Journal{"open /earlier/", "power off", "end program"}));
}

TEST_F(Batch, StopDuringTheSecondOfFiveConvertsNothingMore) {
    for (int i = 1; i <= 5; ++i) AddRow("/clips/" + std::to_string(i) + ".avi");
    TScriptedRun second;
    second.chunks = {"c1", "c2", "c3"};
    second.result = {true, true, 0, 0};
    runner.scripts = {TScriptedRun{}, second, TScriptedRun{}};
    int stage = 0;
    pump.onPump = [&] {
        if (stage == 0 && runner.lines.size() == 2 && EncoderListed(*this)) {
            stage = -1;  // StopEncoder lets messages through as well
            logic->btnStop1Click();
            stage = 1;
        } else if (stage == 1 && !EncoderListed(*this)) {
            // While the stopped batch still waits: files are added, and
            // Convert is pressed on the main window that Stop gave back.
            stage = 2;
            AddRow("/clips/6.avi");
            AddRow("/clips/7.avi");
            Convert(*this);
        }
    };
    Convert(*this);

    EXPECT_EQ(stage, 2);
    EXPECT_EQ(runner.lines.size(), 2u);
    EXPECT_EQ(LogWith("parameter: ").size(), 2u);
    EXPECT_FALSE(EncoderListed(*this));
    EXPECT_EQ(Events({"ask", "open", "msg", "hide", "main on"}),
              (Journal{"ask Are you sure you want to stop the work ? ", "hide", "main on",
                       "open " + outDir + "/", "hide", "main on"}));
    EXPECT_TRUE(LogWith("Convert error.").empty());
    EXPECT_FALSE(proc->BatchRunning());

    // The next batch starts afresh.
    pump.onPump = nullptr;
    Convert(*this);
    EXPECT_EQ(runner.lines.size(), 9u);
}

TEST_F(Batch, StopDuringThePauseBeforeTheEncoderNeverStartsIt) {
    AddRow("/clips/a.avi");
    AddRow("/clips/b.avi");
    pump.onPump = [&] {
        if (!journal.empty() && journal.back() == "sleep 7" && !proc->BatchStopped())
            logic->btnStop1Click();
    };
    Convert(*this);
    EXPECT_TRUE(runner.lines.empty());
    EXPECT_EQ(Events({"run", "open", "msg", "hide", "main on"}),
              (Journal{"hide", "main on", "open " + outDir + "/", "hide", "main on"}));
}

TEST_F(Batch, AStopThatCannotEndTheEncoderStillEndsTheBatch) {
    AddRow("/clips/a.avi");
    TScriptedRun stuck;
    stuck.chunks = {"c1", "c2"};
    stuck.lingers = 100000;  // the encoder never leaves the list by itself
    runner.scripts = {stuck};
    processes.stubborn[runner.nextPid] = true;
    pump.onPump = [&] {
        if (!runner.lines.empty() && !proc->BatchStopped()) logic->btnStop1Click();
    };
    Convert(*this);
    // The stop gave up on it; the batch does not wait for it in turn.
    EXPECT_TRUE(EncoderListed(*this));
    const Journal afterRun(std::find(journal.begin(), journal.end(), "sleep 11"), journal.end());
    EXPECT_EQ(std::count(afterRun.begin(), afterRun.end(), "sleep 3"), 0);
    EXPECT_EQ(journal.back(), "main on");
    EXPECT_FALSE(proc->BatchRunning());
}

TEST(BatchFailures, AreLoggedAndNamedInOneWarningUnlessTheComputerShutsDown) {
    for (const bool shutdown : {false, true}) {
        SCOPED_TRACE(shutdown ? "shutdown" : "no shutdown");
        TEngineWorld w;
        w.forms.FrmMainForm.chkShutdown.SetChecked(shutdown);
        w.AddRow("/clips/not started.avi");
        w.AddRow("/clips/ok.avi");
        w.AddRow("/clips/refused.avi");
        TScriptedRun notStarted, refused;
        notStarted.result = TRunResult{};
        refused.result = {true, true, 1, 0};
        w.runner.scripts = {notStarted, TScriptedRun{}, refused};
        Convert(w);

        EXPECT_EQ(w.LogWith("Convert error. ->"),
                  (std::vector<std::string>{"Convert error. ->/clips/not started.avi",
                                            "Convert error. ->/clips/refused.avi"}));
        const Journal expected = shutdown
                                     ? Journal{"open " + w.outDir + "/", "power off", "end program"}
                                     : Journal{"open " + w.outDir + "/",
                                               std::string(kFailedHeader) +
                                                   "\n/clips/not started.avi\n/clips/refused.avi",
                                               "hide", "main on"};
        EXPECT_EQ(w.Events({"open", "msg", "hide", "main on", "power", "end"}), expected);
    }
}

TEST(BatchFailures, EveryRowFailsWhenTheEncoderCannotBeStarted) {
    TEngineWorld w;
    w.AddRow("/clips/a.avi");
    w.AddRow("/clips/b.avi");
    w.runner.scripts = {TScriptedRun{{}, TRunResult{}, 0}, TScriptedRun{{}, TRunResult{}, 0}};
    Convert(w);
    EXPECT_EQ(w.Events({"msg"}),
              (Journal{std::string(kFailedHeader) + "\n/clips/a.avi\n/clips/b.avi"}));
    // Each file still costs its two pauses.
    EXPECT_EQ(std::count(w.journal.begin(), w.journal.end(), "sleep 7"), 2);
    EXPECT_EQ(std::count(w.journal.begin(), w.journal.end(), "sleep 11"), 2);
}

TEST(BatchErrors, AnErrorInsideAFileEndsTheBatchWithNothingLeftRunning) {
    {
        SCOPED_TRACE("unreadable time text");
        TEngineWorld w;
        w.AddRow("/clips/a.avi");
        w.AddRow("/clips/b.avi", "00:x1:00");
        w.AddRow("/clips/c.avi");
        EXPECT_THROW(Convert(w), EConvertError);
        EXPECT_EQ(w.runner.lines.size(), 1u);
        EXPECT_EQ(w.Events({"open", "msg", "hide", "main"}),
                  (Journal{"main off", "hide", "main on"}));
        EXPECT_FALSE(w.proc->BatchRunning());
    }
    {
        SCOPED_TRACE("a length the progress bar cannot hold");
        TEngineWorld w;
        w.AddRow("/clips/a.avi", "00:00:00", "999999:00:00");
        w.AddRow("/clips/b.avi");
        TScriptedRun run;
        run.chunks = {"c1", "a=b=c=d=5.0 x=y", "a=b=c=d=6.0 x=y"};
        w.runner.scripts = {run};
        EXPECT_THROW(Convert(w), EConvertError);
        EXPECT_EQ(w.runner.lines.size(), 1u);
        EXPECT_FALSE(EncoderListed(w));
        EXPECT_EQ(w.Events({"hide", "main"}), (Journal{"main off", "hide", "main on"}));
        EXPECT_FALSE(w.proc->BatchRunning());
    }
}

}  // namespace
