#include <gtest/gtest.h>

#include <climits>

#include "Errors.h"
#include "PreviewLogic.h"
#include "ScriptedPlayer.h"
#include "TrimLogic.h"

namespace {

using previewtest::CountingMessages;
using previewtest::PlayerRig;
using previewtest::ScriptedPlayer;

TEST(TrimArithmetic, MarkerPositionToSeconds) {
    struct Case {
        int position;
        int64_t duration;
        int64_t seconds;
    };
    const Case cases[] = {
        {0, 100, 0},     {107, 100, 49},   // 107 * 121 div 260 = 49
        {215, 100, 100}, {216, 100, 100},  // the far right
        {3, 100, 1},     {2, 100, 0},      // the percentage is cut, not rounded
        {107, 3, 1},     {107, -20, -9},   // 49 * 3 div 100; -980 div 100
    };
    for (const Case& c : cases)
        EXPECT_EQ(MarkerPositionToSeconds(c.position, 260, c.duration), c.seconds)
            << c.position << " of " << c.duration;
}

TEST(TrimArithmetic, RoundHalfEven) {
    struct Case {
        int64_t numerator, denominator, rounded;
    };
    const Case cases[] = {
        {1, 2, 0}, {3, 2, 2},  {5, 2, 2},   {7, 2, 4},   {5, 4, 1},
        {7, 4, 2}, {-1, 2, 0}, {-3, 2, -2}, {-7, 4, -2}, {218 * 49, 100, 107},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RoundHalfEven(c.numerator, c.denominator), c.rounded)
            << c.numerator << "/" << c.denominator;
}

TEST(TrimArithmetic, NudgeStepByExactModifierState) {
    struct Case {
        TMouseButton button;
        TShiftState shift;
        int step;
    };
    const Case cases[] = {
        {TMouseButton::Left, ssLeft | ssCtrl, 1},
        {TMouseButton::Left, ssCtrl, 1},
        {TMouseButton::Right, ssRight | ssCtrl | ssDouble, 1},
        {TMouseButton::Left, ssLeft | ssShift, 10},
        {TMouseButton::Right, ssRight | ssShift | ssDouble, 10},
        {TMouseButton::Left, ssLeft, 5},
        {TMouseButton::Left, ssLeft | ssAlt, 5},
        {TMouseButton::Left, ssLeft | ssCtrl | ssShift, 5},
        {TMouseButton::Left, ssLeft | ssCtrl | ssAlt, 5},
        {TMouseButton::Left, ssLeft | ssRight | ssCtrl, 5},  // another button held
        {TMouseButton::Right, ssLeft | ssRight | ssShift, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NudgeStep(c.button, c.shift), c.step)
            << static_cast<int>(c.button) << " " << c.shift;
}

TEST(TrimStripModel, LayoutPositionsAndLimits) {
    TTrimStrip strip;
    EXPECT_EQ(strip.Panel4Width(), 216);
    EXPECT_EQ(strip.StartPosition(), 0);
    EXPECT_EQ(strip.EndPosition(), 216);
    EXPECT_EQ(strip.StartTravel(), 218);
    EXPECT_EQ(strip.EndTravel(), 218);

    strip.SetPanel2Width(108);
    strip.SetPanel3Width(30);
    EXPECT_EQ(strip.Splitter1Left(), 109);
    EXPECT_EQ(strip.Panel4Left(), 129);
    EXPECT_EQ(strip.Splitter2Left(), 209);
    EXPECT_EQ(strip.Panel3Left(), 229);
    EXPECT_EQ(strip.Panel4Width(), 80);
    EXPECT_EQ(strip.StartPosition(), 107);
    EXPECT_EQ(strip.EndPosition(), 187);

    // A drag stops where the image it squeezes keeps one pixel.
    strip.SetPanel2Width(500);
    EXPECT_EQ(strip.Panel2Width(), 187);
    EXPECT_EQ(strip.Panel4Width(), 1);
    strip.SetPanel3Width(100);
    EXPECT_EQ(strip.Panel3Width(), 30);
    strip.SetPanel2Width(-4);
    EXPECT_EQ(strip.Panel2Width(), 1);

    // Widths that do not fit side by side: the end marker keeps its place.
    struct Fit {
        int64_t left, right, fittedLeft, fittedRight;
    };
    for (const Fit& f : {Fit{219, 1, 216, 1}, Fit{300, 300, 1, 216}, Fit{-5, -5, 1, 1},
                         Fit{100, 117, 100, 117}, Fit{INT64_MAX / 2, 50, 167, 50}}) {
        strip.SetImageWidths(f.left, f.right);
        EXPECT_EQ(strip.Panel2Width(), f.fittedLeft) << f.left << "," << f.right;
        EXPECT_EQ(strip.Panel3Width(), f.fittedRight) << f.left << "," << f.right;
        EXPECT_GE(strip.Panel4Width(), 1);
    }
}

const std::string kA = "/v/a.avi";
const std::string kB = "/v/b.avi";

// The trim handlers over a list, with the preview on a scripted player.
struct TrimRig : PlayerRig {
    int AddRow(const std::string& path, const std::string& duration, const std::string& start,
               const std::string& end, bool selected = true) {
        const int row = List().Append({"True", path, "1 KB", duration, start, end, "?"});
        List().SetSelected(row, selected);
        return row;
    }
    const std::string& Cell(int row, int column) { return List().Text(row, column); }
    void DragStartTo(int panel2) {
        Strip().SetPanel2Width(panel2);
        trim.Splitter1Moved();
    }
    void DragEndTo(int panel3) {
        Strip().SetPanel3Width(panel3);
        trim.Splitter2Moved();
    }
};

TEST(TrimRowClick, LoadsTheRowsTimesIntoTheMarkers) {
    struct Case {
        const char *duration, *start, *end;
        int left, right;
    };
    const Case cases[] = {
        {"00:01:40", "00:00:00", "00:01:40", 1, 1},  // a fresh row: both ends
        {"00:01:40", "00:00:50", "00:01:40", 110, 1},
        {"00:01:40", "00:00:49", "00:01:00", 108, 88},
        {"00:00:04", "00:00:01", "00:00:03", 55, 55},  // 54.5 and 163.5 go to even
        {"00:00:04", "00:00:00", "00:00:01", 1, 165},  // 54.5 goes down, not up
        {"00:01:40", "00:01:40", "00:01:40", 216, 1},  // start at the end: just before it
        {"00:03:38", "00:00:01", "00:03:36", 1, 1},    // off by 1 and 2: left as they are
        {"00:03:38", "00:00:02", "00:03:35", 3, 4},
        // Times another row's markers wrote: beyond the duration, start after end.
        {"00:00:50", "00:00:00", "00:01:40", 1, 1},
        {"00:01:40", "00:03:20", "00:00:10", 20, 197},
        {"00:01:40", "00:00:-30", "00:01:40", 1, 1},
        {"99999999999:00:00", "00:00:00", "99999999999:00:00", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.duration) + " " + c.start + " " + c.end);
        TrimRig rig;
        rig.AddRow(kA, c.duration, c.start, c.end);
        rig.trim.actDxTreeListOnClickExecute();
        EXPECT_EQ(rig.Strip().Panel2Width(), c.left);
        EXPECT_EQ(rig.Strip().Panel3Width(), c.right);
        EXPECT_TRUE(rig.proc.MarkersLoaded);
        // A click writes nothing into the row.
        EXPECT_EQ(rig.Cell(0, colStartTime), c.start);
        EXPECT_EQ(rig.Cell(0, colCutTime), "?");
    }
}

TEST(TrimRowClick, WhichRowsLoadAndWhichStay) {
    TrimRig rig;
    rig.AddRow(kA, "00:01:40", "00:00:00", "00:01:40");
    rig.AddRow("/v/unselected.avi", "00:00:30", "00:00:10", "00:00:20", false);
    rig.AddRow(kB, "00:00:50", "00:00:10", "00:00:50");
    rig.trim.actDxTreeListOnClickExecute();
    // The last selected row stays: 10 of 50 s.
    EXPECT_EQ(rig.proc.SelFileDuration, 50);
    EXPECT_EQ(rig.Strip().Panel2Width(), 45);
    EXPECT_EQ(rig.Strip().Panel3Width(), 1);

    // A text too short to read keeps the value of the row before it.
    rig.List().SetText(2, colDuration, "50");
    rig.List().SetText(2, colEndTime, "");
    rig.List().SetText(2, colStartTime, "00:00:50");
    rig.trim.actDxTreeListOnClickExecute();
    EXPECT_EQ(rig.proc.SelFileDuration, 100);
    EXPECT_EQ(rig.Strip().Panel2Width(), 110);
    EXPECT_EQ(rig.Strip().Panel3Width(), 1);

    // The playing file's row keeps the markers and the playback.
    rig.List().ClearSelection();
    rig.List().SetSelected(0, true);
    rig.preview.dxTreeSourceFileInfoDblClick();
    rig.List().SetText(0, colStartTime, "00:01:00");
    rig.trim.actDxTreeListOnClickExecute();
    EXPECT_EQ(rig.Strip().Panel2Width(), 110);
    EXPECT_EQ(rig.lib.PlayFileName, kA);
    EXPECT_TRUE(rig.proc.IsPlaying);
}

TEST(TrimRowClick, DurationOfNoSecondsLeavesTheMarkersInPlace) {
    for (const char* duration : {"00:00:00", "none", "00:-1:40"}) {
        SCOPED_TRACE(duration);
        TrimRig rig;
        rig.Strip().SetImageWidths(50, 60);
        rig.AddRow(kA, duration, "00:00:10", "00:00:20");
        rig.trim.actDxTreeListOnClickExecute();
        EXPECT_EQ(rig.Strip().Panel2Width(), 50);
        EXPECT_EQ(rig.Strip().Panel3Width(), 60);
        EXPECT_LE(rig.proc.SelFileDuration, 0);
        EXPECT_TRUE(rig.proc.MarkersLoaded);
    }
}

TEST(TrimMarkers, DraggingWritesTimesIntoTheRowAndMovesThePreview) {
    TrimRig rig;
    rig.AddRow(kA, "00:01:40", "00:00:00", "00:01:40");
    rig.trim.actDxTreeListOnClickExecute();

    rig.DragStartTo(108);
    EXPECT_EQ(rig.Cell(0, colStartTime), "00:00:49");
    EXPECT_EQ(rig.Cell(0, colCutTime), "00:00:51");
    EXPECT_TRUE(rig.player.Seeks.empty());  // nothing loaded to move

    rig.DragEndTo(60);
    EXPECT_EQ(rig.Cell(0, colEndTime), "00:01:13");  // 157 * 121 div 260 = 73
    EXPECT_EQ(rig.proc.EndTimeText, "00:01:13");
    EXPECT_EQ(rig.Cell(0, colCutTime), "00:00:24");
    rig.DragEndTo(1);
    EXPECT_EQ(rig.Cell(0, colEndTime), "00:01:40");
    EXPECT_EQ(rig.Cell(0, colCutTime), "00:00:51");

    // Playing, the start marker takes the playback to the new start; the
    // end marker never seeks.
    rig.preview.dxTreeSourceFileInfoDblClick();
    rig.DragStartTo(54);  // x = 53: 24 s
    EXPECT_EQ(rig.player.Seeks, std::vector<int64_t>{24000});
    rig.DragEndTo(2);
    EXPECT_EQ(rig.player.Seeks, std::vector<int64_t>{24000});
    EXPECT_EQ(rig.messages.Shown, 0);
}

TEST(TrimMarkers, NoSeekBeforeARowWasLoaded) {
    TrimRig rig;
    rig.AddRow(kA, "00:01:40", "00:00:00", "00:01:40");
    rig.preview.dxTreeSourceFileInfoDblClick();
    rig.DragStartTo(108);
    EXPECT_EQ(rig.Cell(0, colStartTime), "00:00:49");
    EXPECT_TRUE(rig.player.Seeks.empty());
}

TEST(TrimMarkers, NoSelectedRowChangesNothing) {
    TrimRig rig;
    rig.AddRow(kA, "00:01:40", "00:00:00", "00:01:40");
    rig.trim.actDxTreeListOnClickExecute();
    rig.preview.dxTreeSourceFileInfoDblClick();
    rig.proc.EndTimeText = "00:00:07";
    rig.List().ClearSelection();
    rig.DragStartTo(108);
    rig.DragEndTo(60);
    EXPECT_EQ(rig.List().RowAt(0),
              (TSourceList::Row{"True", kA, "1 KB", "00:01:40", "00:00:00", "00:01:40", "?"}));
    EXPECT_EQ(rig.proc.EndTimeText, "00:00:07");
    EXPECT_TRUE(rig.player.Seeks.empty());
}

TEST(TrimMarkers, SelectedRowsOfDifferentLengthsShareTheLastLoadedScale) {
    TrimRig rig;
    rig.AddRow(kA, "00:00:50", "00:00:00", "00:00:50");
    rig.AddRow(kB, "00:01:40", "00:00:00", "00:01:40");
    rig.trim.actDxTreeListOnClickExecute();
    ASSERT_EQ(rig.proc.SelFileDuration, 100);

    rig.DragStartTo(108);
    EXPECT_EQ(rig.Cell(0, colStartTime), "00:00:49");
    EXPECT_EQ(rig.Cell(1, colStartTime), "00:00:49");
    EXPECT_EQ(rig.Cell(0, colCutTime), "00:00:01");  // each from its own end
    EXPECT_EQ(rig.Cell(1, colCutTime), "00:00:51");

    rig.DragEndTo(1);
    EXPECT_EQ(rig.Cell(0, colEndTime), "00:01:40");  // beyond its 50 s
    EXPECT_EQ(rig.Cell(0, colCutTime), "00:00:51");
}

TEST(TrimMarkers, NegativeScaleNeverWritesANegativeTime) {
    TrimRig rig;
    rig.AddRow(kA, "00:-1:40", "00:00:10", "00:00:20");
    rig.trim.actDxTreeListOnClickExecute();
    rig.preview.dxTreeSourceFileInfoDblClick();
    ASSERT_EQ(rig.proc.SelFileDuration, -20);
    rig.DragStartTo(108);  // -9 s
    rig.DragEndTo(50);     // -15 s
    EXPECT_EQ(rig.Cell(0, colStartTime), "00:00:00");
    EXPECT_EQ(rig.Cell(0, colEndTime), "00:00:00");
    EXPECT_EQ(rig.Cell(0, colCutTime), "00:00:00");
    EXPECT_EQ(rig.proc.EndTimeText, "00:00:00");
    EXPECT_TRUE(rig.player.Seeks.empty());
}

TEST(TrimMarkers, ClicksOnTheImagesNudgeTheMarkers) {
    enum Image { Left, Middle, Right };
    struct Case {
        Image image;
        TMouseButton button;
        TShiftState shift;
        int left, right;            // widths before
        int leftAfter, rightAfter;  // widths after
        const char *start, *end;    // row texts after ("--": not written)
    };
    const TMouseButton L = TMouseButton::Left, R = TMouseButton::Right, M = TMouseButton::Middle;
    const Case cases[] = {
        {Middle, L, ssLeft, 1, 1, 6, 1, "00:00:02", "--"},
        {Middle, L, ssLeft | ssCtrl, 1, 1, 2, 1, "00:00:00", "--"},
        {Middle, L, ssLeft | ssShift, 1, 1, 11, 1, "00:00:04", "--"},
        {Middle, L, ssLeft | ssCtrl | ssShift, 1, 1, 6, 1, "00:00:02", "--"},
        {Middle, L, ssLeft | ssCtrl | ssDouble, 1, 1, 2, 1, "00:00:00", "--"},
        {Middle, R, ssRight | ssShift, 1, 1, 1, 11, "--", "00:01:35"},
        {Middle, M, ssMiddle, 1, 1, 1, 1, "--", "--"},
        {Middle, L, ssLeft, 212, 1, 212, 1, "--", "--"},  // middle image 5 wide
        {Middle, L, ssLeft | ssCtrl, 212, 1, 213, 1, "00:01:38", "--"},
        {Middle, R, ssRight, 1, 212, 1, 212, "--", "--"},
        {Left, L, ssLeft, 1, 1, 6, 1, "00:00:02", "--"},
        {Left, R, ssRight, 1, 1, 1, 1, "--", "--"},  // already at its minimum
        {Left, R, ssRight | ssCtrl, 1, 1, 1, 1, "--", "--"},
        {Left, R, ssRight | ssCtrl, 2, 1, 1, 1, "00:00:00", "--"},
        {Left, L, ssLeft | ssShift, 1, 208, 1, 208, "--", "--"},
        {Left, M, ssMiddle | ssShift, 20, 1, 20, 1, "--", "--"},
        {Right, R, ssRight | ssShift, 1, 1, 1, 11, "--", "00:01:35"},
        {Right, L, ssLeft | ssShift, 1, 21, 1, 11, "--", "00:01:35"},
        {Right, L, ssLeft, 1, 5, 1, 5, "--", "--"},
        {Right, R, ssRight, 1, 212, 1, 212, "--", "--"},
        {Right, M, ssMiddle, 1, 21, 1, 21, "--", "--"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "image " << c.image << " button " << static_cast<int>(c.button) << " shift "
                     << c.shift << " widths " << c.left << "," << c.right);
        TrimRig rig;
        rig.AddRow(kA, "00:01:40", "00:00:00", "00:01:40");
        rig.trim.actDxTreeListOnClickExecute();
        rig.Strip().SetImageWidths(c.left, c.right);
        rig.List().SetText(0, colStartTime, "--");
        rig.List().SetText(0, colEndTime, "--");
        switch (c.image) {
            case Left:
                rig.trim.Panel2MouseDown(c.button, c.shift);
                break;
            case Middle:
                rig.trim.Panel4MouseDown(c.button, c.shift);
                break;
            case Right:
                rig.trim.Panel3MouseDown(c.button, c.shift);
                break;
        }
        EXPECT_EQ(rig.Strip().Panel2Width(), c.leftAfter);
        EXPECT_EQ(rig.Strip().Panel3Width(), c.rightAfter);
        EXPECT_EQ(rig.Cell(0, colStartTime), c.start);
        EXPECT_EQ(rig.Cell(0, colEndTime), c.end);
    }
}

TEST(TrimCutLength, EndMinusStartOfTheRowWithExactlyThatPath) {
    TrimRig rig;
    rig.AddRow("/v/Clip.avi", "00:01:40", "00:00:49", "00:01:40");
    rig.AddRow("/v/clip.avi", "00:01:40", "00:00:10", "00:00:30");
    rig.AddRow("/v/short.avi", "00:01:40", "00:49", "00:01:40");
    rig.AddRow("/v/long.avi", "200:00:00", "00:00:00", "123:00:01");
    struct Case {
        const char* path;
        int seconds;
    };
    for (const Case& c :
         {Case{"/v/Clip.avi", 51}, Case{"/v/clip.avi", 20}, Case{"/v/CLIP.AVI", 0},
          Case{"/v/short.avi", 100}, Case{"/v/long.avi", 123 * 3600 + 1}, Case{"", 0}})
        EXPECT_EQ(rig.proc.GetCutLength(c.path), c.seconds) << c.path;

    rig.List().SetText(0, colEndTime, "00:0x:40");
    EXPECT_THROW(rig.proc.GetCutLength("/v/Clip.avi"), EConvertError);
}

}  // namespace
