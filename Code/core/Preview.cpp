// The preview player's operations over the IPlayer port. A failure of the
// player never reaches the user: it shows as the logo over the video area.
#include <exception>

#include "FuncObjects.h"
#include "UnitCustomProc.h"
#include "Unit_CommonLib.h"

namespace {

constexpr const char* kPlayErrorLog = "Playing Video error.";
constexpr const char* kZeroTime = "00:00:00";

// Runs the player: playing hides the logo and starts the play clock; a
// failure shows the logo instead.
void StartPlaying(IPlayer& player, TMainFormModel& form, bool& isPlaying) {
    try {
        player.Run();
        isPlaying = true;
        form.panLogo.SetChecked(false);
        form.dstrckbrMainform.SetChecked(true);
    } catch (const std::exception&) {
        form.panLogo.SetChecked(true);
    }
}

}  // namespace

void TCustomProc::OpenVideo(const std::string& path) {
    TMainFormModel& form = forms_.FrmMainForm;
    IPlayer& player = *lib_.Ports().Player;
    player.Close();
    form.dstrckbrMainform.SetChecked(false);

    bool opened = false;
    try {
        opened = player.Open(path);
    } catch (const std::exception&) {
        opened = false;
    }
    if (!opened) {
        if (AppFunc) AppFunc->WriteLog(kPlayErrorLog);
        player.Close();
        // The previous file is gone, so the player is empty: a black area
        // that claimed to hold a file would resume nothing.
        lib_.PlayFileName.clear();
        IsPlaying = false;
        form.panLogo.SetChecked(true);
        form.pnlCurTime.SetText(kZeroTime);
        form.pbPlayState.SetPosition(0);
        return;
    }
    lib_.PlayFileName = path;
    StartPlaying(player, form, IsPlaying);
}

void TCustomProc::PlayVideo() {
    TMainFormModel& form = forms_.FrmMainForm;
    IPlayer& player = *lib_.Ports().Player;
    if (!player.IsActive()) return;
    StartPlaying(player, form, IsPlaying);
}

void TCustomProc::PauseVideo() {
    TMainFormModel& form = forms_.FrmMainForm;
    IPlayer& player = *lib_.Ports().Player;
    if (!player.IsActive()) return;
    try {
        player.Pause();
        form.dstrckbrMainform.SetChecked(false);
        IsPlaying = false;
        // The paused picture stays in view.
        form.panLogo.SetChecked(false);
    } catch (const std::exception&) {
        form.panLogo.SetChecked(true);
    }
}

void TCustomProc::StopVideo() {
    TMainFormModel& form = forms_.FrmMainForm;
    IPlayer& player = *lib_.Ports().Player;
    if (!player.IsActive()) return;
    try {
        player.Stop();
        form.dstrckbrMainform.SetChecked(false);
        player.Close();
        lib_.PlayFileName.clear();
        form.pnlCurTime.SetText(kZeroTime);
        IsPlaying = false;
        form.panLogo.SetChecked(true);
        form.pbPlayState.SetPosition(0);
    } catch (const std::exception&) {
        form.panLogo.SetChecked(true);
        form.pbPlayState.SetPosition(0);
    }
}

void TCommonLib::SeekVideo(int64_t ms) {
    IPlayer& player = *ports_.Player;
    // Nothing loaded, or a position before the start: the player keeps its own.
    if (!player.IsActive() || ms < 0) return;
    player.SeekMs(ms);
}
