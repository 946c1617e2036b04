#include <gtest/gtest.h>

#include "EngineTestKit.h"
#include "Errors.h"

using engine_test::EngineFixture;
using engine_test::TEngineWorld;

namespace {

const char* const kVideoCodec = " -vcodec mpeg4 -acodec aac";
const char* const kSoundCodec = " -acodec aac -vn";

// A refresh in the middle of a file: the first chunk has been seen and the
// per-file bar stands at 7.
void MidFile(TEngineWorld& w, const std::string& codec, const std::string& duration) {
    w.lib->ConvertParam.CodecOptions = codec;
    w.proc->Duration = duration;
    w.proc->RowCount = 1;
    w.proc->RefreshCount = 1;
    w.forms.frmConverting.ProgressBar1.SetMax(120);
    w.forms.frmConverting.ProgressBar1.SetPosition(7);
}

TEST(ProgressParser, TakesTheElapsedSecondsFromEachShapeOfChunk) {
    const struct {
        const char* name;
        const char* codec;
        std::string chunk;
        int position;  // 7: the bar did not move
    } cases[] = {
        {"video line", kVideoCodec,
         "frame=  123 q=2.0 size=    1234kB time=45.60 bitrate= 221.5kbits/s\r", 45},
        {"sound line", kSoundCodec, "size=    1234kB time=12.80 bitrate= 221.5kbits/s\r", 12},
        {"sound type with leading blanks in its codec text", "   -acodec mp3 -vn",
         "size= 1kB time=33.9 bitrate= 1", 33},
        {"pieces by position only", kVideoCodec, "a=b=c=d=45.6 x=y", 45},
        {"video line cut after its time", kVideoCodec, "frame= 1 q=2.0 size= 1kB time=45.6", 45},
        {"video line cut before its time", kVideoCodec, "frame= 1 q=2.0 size= 1kB time", 7},
        {"sound line cut after its time: too few pieces", kSoundCodec, "size= 1kB time=12.8", 7},
        {"several lines: the first line's time counts", kVideoCodec,
         "frame= 1 q=1 size= 1kB time=10.00 bitrate= 1\rframe= 2 q=1 size= 2kB time=11.00 "
         "bitrate= 2\r",
         10},
        {"no fraction", kVideoCodec, "a=b=c=d=90 bitrate=y", 90},
        {"beyond the length shows as the end", kVideoCodec, "a=b=c=d=500.0=y", 120},
        {"the not-yet-known value", kVideoCodec, "a=b=c=d=10000000000.00 x=y", 7},
        {"the not-yet-known value for sound", kSoundCodec, "size= 1kB time=10000000000.00 b= 1", 7},
        {"an empty time piece", kVideoCodec, "a=b=c=d==y", 7},
        {"no whole seconds before the point read as 0", kVideoCodec, "a=b=c=d=.5=y", 0},
        {"a time piece without digits", kVideoCodec, "a=b=c=d=-+ x=y", 7},
        {"no \"=\" at all", kVideoCodec, "Press [q] to stop\r\n", 7},
        {"empty chunk", kVideoCodec, "", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TEngineWorld w;
        MidFile(w, c.codec, "120");
        w.forms.frmConverting.statState.SetText(c.chunk);
        w.logic->actRefreshProgressExecute();
        EXPECT_EQ(w.forms.frmConverting.ProgressBar1.Position(), c.position);
        EXPECT_EQ(w.forms.frmConverting.ProgressBar1.Max(), 120);
    }
}

class Progress : public EngineFixture {};

TEST_F(Progress, TheFirstChunkOfAFileMovesNothing) {
    TProgressFormModel& f = forms.frmConverting;
    proc->RowCount = 3;
    proc->CurIndex = 1;
    lib->ConvertParam.CodecOptions = kVideoCodec;
    proc->Duration = "100";
    logic->FormShow();
    proc->RefreshCount = 0;
    proc->EncoderOutputProc("a=b=c=d=40.0 x=y");
    EXPECT_EQ(f.statState.Text(), "a=b=c=d=40.0 x=y");
    EXPECT_EQ(f.ProgressBar1.Position(), 0);
    EXPECT_EQ(f.ProgressBar1.Max(), 1);
    EXPECT_EQ(f.pbTotal.Max(), 1);
    EXPECT_EQ(f.lblPersent.Text(), "Current: 1, Total: 3");

    proc->EncoderOutputProc("a=b=c=d=40.0 x=y");
    EXPECT_EQ(f.ProgressBar1.Position(), 40);
    EXPECT_EQ(f.ProgressBar1.Max(), 100);
    EXPECT_EQ(f.pbTotal.Max(), 300);
    EXPECT_EQ(f.lblPersent.Text(), "Current: 2 , Total: 3.");
}

TEST_F(Progress, TheOverallBarAddsThePreviousPercentageToTheRowsDone) {
    TProgressFormModel& f = forms.frmConverting;
    lib->ConvertParam.CodecOptions = kVideoCodec;
    proc->RowCount = 3;
    proc->CurIndex = 2;
    proc->Duration = "120";
    proc->RefreshCount = 1;
    f.ProgressBar1.SetMax(120);
    f.ProgressBar1.SetPosition(60);
    f.statState.SetText("a=b=c=d=90.0 x=y");
    logic->actRefreshProgressExecute();
    // The per-file half of the previous refresh, not the new 90 s.
    EXPECT_EQ(f.pbTotal.Max(), 300);
    EXPECT_EQ(f.pbTotal.Position(), 250);
    EXPECT_EQ(f.lblPersent.Text(), "Current: 3 , Total: 3.");
    EXPECT_EQ(f.ProgressBar1.Position(), 90);
}

TEST_F(Progress, AnEmptyLengthLeavesTheOverallBarAndCounterAsTheyWere) {
    TProgressFormModel& f = forms.frmConverting;
    lib->ConvertParam.CodecOptions = kVideoCodec;
    proc->RowCount = 2;
    proc->CurIndex = 1;
    proc->RefreshCount = 1;
    f.pbTotal.SetMax(200);
    f.pbTotal.SetPosition(50);
    f.lblPersent.SetText("Current: 1 , Total: 2.");
    f.ProgressBar1.SetMax(0);  // left so by a file whose end equals its start
    for (const std::string duration : {"0", "-30"}) {
        SCOPED_TRACE(duration);
        proc->Duration = duration;
        f.statState.SetText("a=b=c=d=5.0 x=y");
        EXPECT_NO_THROW(logic->actRefreshProgressExecute());
        EXPECT_EQ(f.pbTotal.Position(), 50);
        EXPECT_EQ(f.lblPersent.Text(), "Current: 1 , Total: 2.");
        // A negative length is an empty bar, not an error.
        EXPECT_EQ(f.ProgressBar1.Max(), 0);
        EXPECT_EQ(f.ProgressBar1.Position(), 0);
    }
    proc->Duration = "";
    EXPECT_THROW(logic->actRefreshProgressExecute(), EConvertError);
}

TEST_F(Progress, ShowingResetsTheWindowAndTheDotsRunFromLeftToRight) {
    TProgressFormModel& f = forms.frmConverting;
    lib->ConvertParam.SourceFile = "/clips/a.avi";
    proc->RowCount = 3;
    f.ProgressBar1.SetMax(50);
    f.ProgressBar1.SetPosition(20);
    f.pbTotal.SetMax(300);
    f.pbTotal.SetPosition(120);
    logic->AnimStep = 4;
    f.imgDots[3].SetChecked(true);
    logic->FormShow();
    logic->FormShow();
    EXPECT_EQ(logic->AnimStep, 0);
    EXPECT_TRUE(f.tmrChanging.Checked());
    EXPECT_EQ(f.lblCurFileName.Text(), "/clips/a.avi");
    EXPECT_EQ(f.lblPersent.Text(), "Current: 1, Total: 3");
    EXPECT_EQ(f.ProgressBar1.Max(), 1);
    EXPECT_EQ(f.ProgressBar1.Position(), 0);
    EXPECT_EQ(f.pbTotal.Max(), 1);
    EXPECT_EQ(f.pbTotal.Position(), 0);
    for (const TCheckValue& dot : f.imgDots) EXPECT_FALSE(dot.Checked());

    for (int lit : {1, 2, 3, 4, 5, 6, 1, 2}) {
        logic->tmrChangingTimer();
        for (int i = 0; i < 6; ++i) EXPECT_EQ(f.imgDots[i].Checked(), i + 1 == lit) << lit;
    }
}

// The two stop commands, answered No and Yes.
class ProgressStop : public EngineFixture {
  protected:
    void SetUp() override {
        for (int i = 0; i < 4; ++i) AddRow("/clips/" + std::to_string(i) + ".avi");
        lib->ConvertParam.EncoderPath = appDir + "kodra";
        proc->CurIndex = 1;
        proc->RowCount = 4;
        windows.ShowProgressWindow();
        windows.SetMainWindowEnabled(false);
        TProgressFormModel& f = forms.frmConverting;
        f.ProgressBar1.SetMax(100);
        f.ProgressBar1.SetPosition(40);
        f.pbTotal.SetMax(400);
        f.pbTotal.SetPosition(140);
        f.lblPersent.SetText("Current: 2 , Total: 4.");
        processes.entries = {{10, "kodra"}, {11, "kodra"}, {12, "other"}};
        journal.clear();
    }
};

TEST_F(ProgressStop, AnsweringNoChangesNothing) {
    messages.answer = false;
    logic->btnStop1Click();
    EXPECT_FALSE(logic->FormClose());
    EXPECT_EQ(journal, (engine_test::Journal{"ask Are you sure you want to stop the work ? ",
                                             "ask Are you sure to stop processing ?"}));
    EXPECT_EQ(proc->CurIndex, 1);
    EXPECT_FALSE(proc->BatchStopped());
    EXPECT_EQ(processes.entries.size(), 3u);
    EXPECT_EQ(forms.frmConverting.ProgressBar1.Position(), 40);
    EXPECT_EQ(forms.frmConverting.lblPersent.Text(), "Current: 2 , Total: 4.");
}

TEST_F(ProgressStop, StopEndsTheBatchStopsTheEncoderAndResetsTheBars) {
    logic->btnStop1Click();
    EXPECT_EQ(
        Events({"ask", "hide", "main"}),
        (engine_test::Journal{"ask Are you sure you want to stop the work ? ", "hide", "main on"}));
    EXPECT_FALSE(windows.ProgressWindowVisible());
    EXPECT_EQ(proc->CurIndex, 4);
    EXPECT_TRUE(proc->BatchStopped());
    ASSERT_EQ(processes.entries.size(), 1u);
    EXPECT_EQ(processes.entries[0].Name, "other");
    TProgressFormModel& f = forms.frmConverting;
    EXPECT_EQ(f.ProgressBar1.Position(), 0);
    EXPECT_EQ(f.pbTotal.Max(), 0);
    EXPECT_EQ(f.pbTotal.Position(), 0);
    EXPECT_EQ(f.lblPersent.Text(), "Current: 1, Total: ...");
}

TEST_F(ProgressStop, ClosingEndsTheBatchButKeepsTheBars) {
    EXPECT_TRUE(logic->FormClose());
    EXPECT_EQ(Events({"ask", "hide", "main"}),
              (engine_test::Journal{"ask Are you sure to stop processing ?", "hide", "main on"}));
    EXPECT_EQ(proc->CurIndex, 4);
    EXPECT_TRUE(proc->BatchStopped());
    EXPECT_EQ(processes.entries.size(), 1u);
    TProgressFormModel& f = forms.frmConverting;
    EXPECT_EQ(f.ProgressBar1.Position(), 40);
    EXPECT_EQ(f.pbTotal.Position(), 140);
    EXPECT_EQ(f.lblPersent.Text(), "Current: 2 , Total: 4.");
}

}  // namespace
