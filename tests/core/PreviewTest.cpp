#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "FuncObjects.h"
#include "PreviewLogic.h"
#include "ScriptedPlayer.h"
#include "TrimLogic.h"

namespace {

using previewtest::CountingMessages;
using previewtest::PlayerRig;
using previewtest::ScriptedPlayer;
using PlayerState = ScriptedPlayer::State;

const std::string kA = "/v/a.avi";  // 10 s
const std::string kB = "/v/b.avi";  // 20 s

// The preview wired to a scripted player, with two rows in the list.
struct PreviewRig : PlayerRig {
    PreviewRig() {
        List().Append({"True", kA, "1 KB", "00:00:10", "00:00:00", "00:00:10", "00:00:10"});
        List().Append({"True", kB, "1 KB", "00:00:20", "00:00:00", "00:00:20", "00:00:20"});
    }
    void SelectOnly(int row) {
        List().ClearSelection();
        if (row >= 0) List().SetSelected(row, true);
    }
    void PlayA() {
        SelectOnly(0);
        preview.btnPlayClick();
    }
    void Tick(int64_t positionMs) {
        player.Position = positionMs;
        preview.dstrckbrMainformTimer();
    }
};

enum class Shown { Empty, Playing, Paused };

void ExpectShown(PreviewRig& rig, Shown shown, const std::string& file) {
    TMainFormModel& form = rig.Form();
    switch (shown) {
        case Shown::Empty:
            EXPECT_EQ(rig.lib.PlayFileName, "");
            EXPECT_FALSE(rig.proc.IsPlaying);
            EXPECT_TRUE(form.panLogo.Checked());
            EXPECT_FALSE(form.dstrckbrMainform.Checked());
            EXPECT_EQ(form.pnlCurTime.Text(), "00:00:00");
            EXPECT_EQ(form.pbPlayState.Position(), 0);
            EXPECT_EQ(rig.player.Now, PlayerState::Closed);
            break;
        case Shown::Playing:
        case Shown::Paused: {
            const bool playing = shown == Shown::Playing;
            EXPECT_EQ(rig.lib.PlayFileName, file);
            EXPECT_EQ(rig.player.Loaded, file);
            EXPECT_EQ(rig.proc.IsPlaying, playing);
            EXPECT_FALSE(form.panLogo.Checked());
            EXPECT_EQ(form.dstrckbrMainform.Checked(), playing);
            EXPECT_EQ(rig.player.Now, playing ? PlayerState::Running : PlayerState::Paused);
            break;
        }
    }
}

struct Transition {
    const char* name;
    Shown from;
    std::function<void(PreviewRig&)> act;
    Shown to;
    std::string file;
    bool playerUntouched;
};

TEST(PreviewStateTable, EveryTransition) {
    const auto play = [](PreviewRig& r) { r.preview.btnPlayClick(); };
    const auto pause = [](PreviewRig& r) { r.preview.btnPauseClick(); };
    const auto stop = [](PreviewRig& r) { r.preview.RzBmpButton1Click(); };
    const auto dblClickRow = [](int row) {
        return [row](PreviewRig& r) {
            r.SelectOnly(row);
            r.preview.dxTreeSourceFileInfoDblClick();
        };
    };
    const auto clickRow = [](int row) {
        return [row](PreviewRig& r) {
            r.SelectOnly(row);
            r.trim.actDxTreeListOnClickExecute();
        };
    };
    const Transition cases[] = {
        {"play with a selected row", Shown::Empty, [](PreviewRig& r) { r.PlayA(); }, Shown::Playing,
         kA, false},
        {"play with nothing selected", Shown::Empty,
         [](PreviewRig& r) {
             r.SelectOnly(-1);
             r.preview.btnPlayClick();
         },
         Shown::Empty, "", true},
        {"double click a row", Shown::Empty, dblClickRow(1), Shown::Playing, kB, false},
        {"stop while empty", Shown::Empty, stop, Shown::Empty, "", true},
        {"pause button", Shown::Playing, pause, Shown::Paused, kA, false},
        {"double click the playing row", Shown::Playing, dblClickRow(0), Shown::Paused, kA, false},
        {"play while playing", Shown::Playing, play, Shown::Playing, kA, true},
        {"double click the paused row", Shown::Paused, dblClickRow(0), Shown::Paused, kA, false},
        {"pause while paused", Shown::Paused, pause, Shown::Paused, kA, true},
        {"play resumes", Shown::Paused, play, Shown::Playing, kA, false},
        {"stop button while playing", Shown::Playing, stop, Shown::Empty, "", false},
        {"stop button while paused", Shown::Paused, stop, Shown::Empty, "", false},
        {"rows removed", Shown::Playing, [](PreviewRig& r) { r.proc.StopVideo(); }, Shown::Empty,
         "", false},
        {"click on another file's row", Shown::Playing, clickRow(1), Shown::Empty, "", false},
        {"click on the playing file's row", Shown::Playing, clickRow(0), Shown::Playing, kA, true},
        {"double click another row while playing", Shown::Playing, dblClickRow(1), Shown::Playing,
         kB, false},
        {"double click another row while paused", Shown::Paused, dblClickRow(1), Shown::Playing, kB,
         false},
        {"end of the media", Shown::Playing, [](PreviewRig& r) { r.preview.MediaEnded(); },
         Shown::Empty, "", false},
    };
    for (const Transition& c : cases) {
        SCOPED_TRACE(c.name);
        PreviewRig rig;
        if (c.from != Shown::Empty) rig.PlayA();
        if (c.from == Shown::Paused) rig.preview.btnPauseClick();
        if (c.from != Shown::Empty) {
            // Played for a while, so that emptying shows in the time and bar.
            rig.Form().pnlCurTime.SetText("00:00:07");
            rig.Form().pbPlayState.SetPosition(7);
        }
        const size_t callsBefore = rig.player.Calls.size();
        c.act(rig);
        ExpectShown(rig, c.to, c.file);
        if (c.playerUntouched) {
            EXPECT_EQ(rig.player.Calls.size(), callsBefore);
        }
        EXPECT_EQ(rig.messages.Shown, 0);
    }
}

TEST(PreviewButtons, PlayOpensEverySelectedRowAndTheLastStays) {
    PreviewRig rig;
    rig.List().SetSelected(0, true);
    rig.List().SetSelected(1, true);
    rig.preview.btnPlayClick();
    EXPECT_EQ(rig.player.Calls,
              (std::vector<std::string>{"Open " + kA, "Run", "Open " + kB, "Run"}));
    ExpectShown(rig, Shown::Playing, kB);
}

TEST(PreviewButtons, DoubleClickSetsTheScaleFromTheDuration) {
    PreviewRig rig;
    rig.List().SetText(1, colDuration, "01:02:03");
    rig.SelectOnly(1);
    rig.preview.dxTreeSourceFileInfoDblClick();
    EXPECT_EQ(rig.proc.SelFileDuration, 3723);
    // A duration that is no time text keeps the scale.
    rig.List().SetText(0, colDuration, "n/a");
    rig.SelectOnly(0);
    rig.preview.dxTreeSourceFileInfoDblClick();
    EXPECT_EQ(rig.proc.SelFileDuration, 3723);
    ExpectShown(rig, Shown::Playing, kA);
}

TEST(PreviewClock, TextFormat) {
    const std::pair<int64_t, const char*> cases[] = {
        {0, "00:00:00"},    {59, "00:00:59"},      {61, "00:01:01"},
        {3723, "01:02:03"}, {360001, "100:00:01"}, {-5, "00:00:00"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(ClockText(seconds), text) << seconds;
}

TEST(PreviewClock, TickShowsTimeAndPositionBar) {
    PreviewRig rig;
    rig.PlayA();
    rig.player.Duration = 100500;
    rig.Tick(65999);
    EXPECT_EQ(rig.Form().pnlCurTime.Text(), "00:01:05");
    EXPECT_EQ(rig.Form().pbPlayState.Min(), 0);
    EXPECT_EQ(rig.Form().pbPlayState.Max(), 100);
    EXPECT_EQ(rig.Form().pbPlayState.Position(), 65);
    ExpectShown(rig, Shown::Playing, kA);
}

TEST(PreviewClock, TickAfterTheClockStoppedDoesNothing) {
    PreviewRig rig;
    rig.PlayA();
    rig.player.Duration = 10000;
    rig.preview.btnPauseClick();
    rig.Tick(10000);  // a tick queued before the pause
    EXPECT_TRUE(rig.player.Seeks.empty());
    ExpectShown(rig, Shown::Paused, kA);
    rig.preview.RzBmpButton1Click();
    rig.Tick(10000);
    ExpectShown(rig, Shown::Empty, "");
}

struct MarkerRun {
    const char* name;
    std::string endTime;
    std::vector<int64_t> ticksMs;
    int pausesAt;  // index of the tick that pauses, or -1
};

TEST(PreviewClock, PausesAtTheBeginningWhenTheEndMarkerIsReached) {
    const MarkerRun runs[] = {
        {"shows the marker's text", "00:00:05", {3000, 4000, 5000, 6000}, 2},
        {"a drifting tick skips the marker's second", "00:00:05", {3020, 4010, 6001}, 2},
        {"marker passed before playing on", "00:00:05", {6000, 7000, 8000}, -1},
        {"a jump over the marker is no drift", "00:00:05", {3000, 10000, 11000}, -1},
        {"no end marker set", "", {0, 1000, 2000}, -1},
        {"hours in the marker", "01:00:00", {3598500, 3599400, 3601010}, 2},
    };
    for (const MarkerRun& run : runs) {
        SCOPED_TRACE(run.name);
        PreviewRig rig;
        rig.proc.EndTimeText = run.endTime;
        rig.PlayA();
        rig.player.Duration = 4000000;
        int pausedAt = -1;
        for (size_t i = 0; i < run.ticksMs.size() && pausedAt < 0; ++i) {
            rig.Tick(run.ticksMs[i]);
            if (!rig.proc.IsPlaying) pausedAt = static_cast<int>(i);
        }
        EXPECT_EQ(pausedAt, run.pausesAt);
        if (run.pausesAt >= 0) {
            ExpectShown(rig, Shown::Paused, kA);
            EXPECT_EQ(rig.player.Seeks, std::vector<int64_t>{0});
            EXPECT_EQ(rig.player.Position, 0);
        } else {
            EXPECT_TRUE(rig.player.Seeks.empty());
        }
    }
}

TEST(PreviewClock, ResumedAfterTheMarkerPauseItPausesAgainNextTime) {
    PreviewRig rig;
    rig.proc.EndTimeText = "00:00:02";
    rig.PlayA();
    rig.player.Duration = 10000;
    rig.Tick(1000);
    rig.Tick(2000);
    ExpectShown(rig, Shown::Paused, kA);
    rig.preview.btnPlayClick();
    rig.Tick(1000);  // from the beginning again
    ExpectShown(rig, Shown::Playing, kA);
    rig.Tick(3010);  // drifted past the marker's second
    ExpectShown(rig, Shown::Paused, kA);
    EXPECT_EQ(rig.player.Seeks, (std::vector<int64_t>{0, 0}));
}

TEST(PreviewClock, EndMarkerStaysAcrossFiles) {
    PreviewRig rig;
    rig.proc.EndTimeText = "00:00:03";
    rig.proc.SelFileDuration = 10;
    rig.PlayA();
    rig.preview.RzBmpButton1Click();
    EXPECT_EQ(rig.proc.EndTimeText, "00:00:03");
    EXPECT_EQ(rig.proc.SelFileDuration, 10);

    rig.SelectOnly(1);
    rig.preview.dxTreeSourceFileInfoDblClick();
    rig.player.Duration = 20000;
    rig.Tick(2000);
    rig.Tick(3000);
    ExpectShown(rig, Shown::Paused, kB);
}

TEST(PreviewClock, EndOfFileStopsAndEmptiesThePlayer) {
    PreviewRig rig;
    rig.PlayA();
    rig.player.Duration = 10000;
    rig.Tick(9000);
    ExpectShown(rig, Shown::Playing, kA);
    rig.Tick(10000);
    EXPECT_EQ(rig.player.Seeks, std::vector<int64_t>{0});
    ExpectShown(rig, Shown::Empty, "");
}

TEST(PreviewClock, EndMarkerAtTheEndPausesAndStopsInOneTick) {
    PreviewRig rig;
    rig.proc.EndTimeText = "00:00:10";
    rig.PlayA();
    rig.player.Duration = 10000;
    rig.Tick(10000);
    EXPECT_EQ(rig.player.Seeks, (std::vector<int64_t>{0, 0}));
    ExpectShown(rig, Shown::Empty, "");
}

TEST(PreviewClock, UnknownDurationEndsNothing) {
    PreviewRig rig;
    rig.PlayA();
    rig.player.Duration = 0;
    rig.Tick(0);
    rig.Tick(1000);
    ExpectShown(rig, Shown::Playing, kA);
    EXPECT_EQ(rig.Form().pbPlayState.Position(), 0);  // an empty 0..0 bar
}

class PreviewFailure : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("orv_preview_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        TAppFunc::SetAppPath(dir_.string());
        InitFuncObjects();
    }
    void TearDown() override {
        TAppFunc::SetAppPath("");
        std::filesystem::remove_all(dir_);
    }
    std::string Log() const {
        std::ifstream in(dir_ / "log.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::filesystem::path dir_;
    PreviewRig rig;
};

TEST_F(PreviewFailure, FileThatCannotBeOpenedLeavesThePlayerEmpty) {
    for (const bool throws : {false, true}) {
        SCOPED_TRACE(throws ? "open raises" : "open reports failure");
        rig.PlayA();
        rig.Form().pnlCurTime.SetText("00:00:04");
        rig.Form().pbPlayState.SetPosition(4);
        rig.player.Unplayable = {kB};
        rig.player.OpenThrows = throws;
        rig.SelectOnly(1);
        rig.preview.dxTreeSourceFileInfoDblClick();
        ExpectShown(rig, Shown::Empty, "");
        EXPECT_EQ(rig.proc.SelFileDuration, 20);
        // Play tries the selected row again instead of resuming nothing.
        rig.player.Calls.clear();
        rig.preview.btnPlayClick();
        EXPECT_EQ(rig.player.Calls, std::vector<std::string>{"Open " + kB});
        rig.player.OpenThrows = false;
        rig.player.Unplayable.clear();
        rig.preview.RzBmpButton1Click();
    }
    EXPECT_EQ(rig.messages.Shown, 0);
    const std::string log = Log();
    size_t lines = 0;
    for (size_t at = 0; (at = log.find("|Playing Video error.\r\n", at)) != std::string::npos; ++at)
        ++lines;
    EXPECT_EQ(lines, 4u) << log;
}

TEST_F(PreviewFailure, PlayerRefusalsShowTheLogo) {
    rig.player.RunThrows = true;
    rig.PlayA();
    EXPECT_EQ(rig.lib.PlayFileName, kA);
    EXPECT_FALSE(rig.proc.IsPlaying);
    EXPECT_TRUE(rig.Form().panLogo.Checked());
    EXPECT_FALSE(rig.Form().dstrckbrMainform.Checked());

    rig.player.RunThrows = false;
    rig.preview.btnPlayClick();
    ExpectShown(rig, Shown::Playing, kA);

    rig.player.PauseThrows = true;
    rig.preview.btnPauseClick();
    EXPECT_TRUE(rig.proc.IsPlaying);
    EXPECT_TRUE(rig.Form().panLogo.Checked());

    // A refused stop keeps the file, but the logo and an empty bar show.
    rig.player.StopThrows = true;
    rig.Form().pbPlayState.SetPosition(5);
    rig.preview.RzBmpButton1Click();
    EXPECT_EQ(rig.lib.PlayFileName, kA);
    EXPECT_TRUE(rig.Form().panLogo.Checked());
    EXPECT_EQ(rig.Form().pbPlayState.Position(), 0);
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(rig.messages.Shown, 0);
}

}  // namespace
