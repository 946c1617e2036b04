// What the main window's preview controls do: the play, pause and stop
// buttons, a double click on a source row, the clock's tick and the end of
// the media. The Qt player view calls these handlers and shows the models
// panLogo, pnlCurTime, pbPlayState and dstrckbrMainform (the clock, which
// the view's timer follows); it holds no logic itself.
#pragma once

#include <cstdint>
#include <string>

#include "UnitCustomProc.h"

// The play time as the preview shows it: hours, minutes and seconds of at
// least two digits each. A negative count shows as 0.
std::string ClockText(int64_t seconds);

class TPreviewLogic {
  public:
    static constexpr int kClockIntervalMs = 1000;

    explicit TPreviewLogic(TCustomProc& proc) : proc_(proc) {}

    // One tick of the clock, every kClockIntervalMs while a file plays: the
    // position bar, the time text, the pause at the end marker and the stop
    // at the end of the file.
    void dstrckbrMainformTimer();
    void btnPlayClick();
    void btnPauseClick();
    // The stop button.
    void RzBmpButton1Click();
    void dxTreeSourceFileInfoDblClick();
    // The player reached the end of the media and stopped by itself.
    void MediaEnded();

  private:
    void Open(const std::string& path);
    TCustomProc& proc_;
    // The second the previous tick showed while playing on, or -1 after an
    // open or a seek: a tick that drifts may skip the end marker's second,
    // and this tells such a skip from a jump.
    int64_t lastShownSecond_ = -1;
};
