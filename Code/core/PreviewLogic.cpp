#include "PreviewLogic.h"

#include <cstdio>

#include "TextConvert.h"
#include "TrimStrip.h"

std::string ClockText(int64_t seconds) {
    if (seconds < 0) seconds = 0;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds % 3600 / 60),
                  static_cast<long long>(seconds % 3600 % 60));
    return text;
}

namespace {

// The end marker's time text in seconds; false when it is not one.
bool EndMarkerSeconds(const std::string& text, int64_t& seconds) {
    const std::vector<std::string> pieces = TCommonLib::SplitText(text, ':');
    int32_t h = 0, m = 0, s = 0;
    if (pieces.size() != 3 || !TryStrToInt(pieces[0], h) || !TryStrToInt(pieces[1], m) ||
        !TryStrToInt(pieces[2], s))
        return false;
    seconds = int64_t{h} * 3600 + int64_t{m} * 60 + s;
    return true;
}

// A tick comes about a second after the previous one, so playing on shows
// the next second, or the one after it when the timer drifted.
constexpr int64_t kLongestDriftStep = 2;

}  // namespace

void TPreviewLogic::dstrckbrMainformTimer() {
    TMainFormModel& form = proc_.Forms().FrmMainForm;
    // A tick queued before the clock stopped finds nothing playing.
    if (!form.dstrckbrMainform.Checked()) return;
    IPlayer& player = *proc_.Lib().Ports().Player;
    const int64_t position = player.PositionMs();
    const int64_t duration = player.DurationMs();

    form.pbPlayState.SetMax(static_cast<int>(duration / kClockIntervalMs));
    form.pbPlayState.SetMin(0);
    form.pbPlayState.SetPosition(static_cast<int>(position / kClockIntervalMs));

    const int64_t shown = position < 0 ? 0 : position / 1000;
    const std::string caption = ClockText(shown);
    form.pnlCurTime.SetText(caption);

    // The end marker is reached when the time shows its text, or when a
    // drifting tick jumped over its second while playing on.
    bool reached = caption == proc_.EndTimeText;
    int64_t marker = 0;
    if (!reached && lastShownSecond_ >= 0 && EndMarkerSeconds(proc_.EndTimeText, marker)) {
        reached = lastShownSecond_ < marker && marker < shown &&
                  shown - lastShownSecond_ <= kLongestDriftStep;
    }
    lastShownSecond_ = shown;
    if (reached) {
        proc_.Lib().SeekVideo(0);
        lastShownSecond_ = -1;
        proc_.PauseVideo();
    }
    // A duration of 0 is not known yet; it ends nothing.
    if (duration > 0 && position >= duration) {
        proc_.Lib().SeekVideo(0);
        lastShownSecond_ = -1;
        proc_.StopVideo();
    }
}

void TPreviewLogic::MediaEnded() {
    proc_.Lib().SeekVideo(0);
    lastShownSecond_ = -1;
    proc_.StopVideo();
}

void TPreviewLogic::Open(const std::string& path) {
    lastShownSecond_ = -1;
    proc_.OpenVideo(path);
}

void TPreviewLogic::btnPlayClick() {
    if (!proc_.Lib().PlayFileName.empty()) {
        if (!proc_.IsPlaying) proc_.PlayVideo();
        return;
    }
    TSourceList& list = proc_.Forms().FrmMainForm.dxTreeSourceFileInfo;
    for (int row = 0; row < list.RowCount(); ++row) {
        if (list.IsSelected(row)) Open(list.Text(row, colFileName));
    }
}

void TPreviewLogic::btnPauseClick() {
    if (!proc_.Lib().PlayFileName.empty() && proc_.IsPlaying) proc_.PauseVideo();
}

void TPreviewLogic::RzBmpButton1Click() {
    proc_.StopVideo();
}

void TPreviewLogic::dxTreeSourceFileInfoDblClick() {
    TSourceList& list = proc_.Forms().FrmMainForm.dxTreeSourceFileInfo;
    for (int row = 0; row < list.RowCount(); ++row) {
        if (!list.IsSelected(row)) continue;
        const std::string path = list.Text(row, colFileName);
        if (proc_.Lib().PlayFileName != path) {
            Open(path);
            int64_t duration = 0;
            // A duration that is not a time text leaves the scale as it was.
            if (ReadTimeTextLenient(list.Text(row, colDuration), duration))
                proc_.SelFileDuration = static_cast<int>(duration);
        } else {
            proc_.PauseVideo();
        }
    }
}
