// The progress window's logic: its handlers over the window's models
// (TForms::frmConverting). The Qt window is a view bound to those models
// and calls these handlers; the batch reaches the refresh through
// TCustomProc::ConvertingLogic.
#pragma once

#include <string>

class TCustomProc;

class TConvertingLogic {
  public:
    explicit TConvertingLogic(TCustomProc& proc);

    // The lit dot of the busy animation, 1 to 6; 0 before the first tick.
    int AnimStep = 0;
    // The length of the current conversion in seconds: ProgressBar1's range.
    int CurFileSeconds = 0;

    // The window became visible: resets the animation, the bars and the texts.
    void FormShow();
    // One tick of tmrChanging: the next dot lights up.
    void tmrChangingTimer();
    // Reads the chunk back from the status panel and moves both bars.
    // Throws EConvertError when the current length is not an integer.
    void actRefreshProgressExecute();
    // Stop, after the user has confirmed it.
    void btnStop1Click();
    // The window's close command. Returns whether the window may close.
    bool FormClose();

    // The questions, exactly as the user sees them.
    static constexpr const char* kStopQuestion = "Are you sure you want to stop the work ? ";
    static constexpr const char* kCloseQuestion = "Are you sure to stop processing ?";
    static constexpr const char* kIdleCounter = "Current: 1, Total: ...";
    // A time value the encoder writes before it knows the real one.
    static constexpr const char* kUnknownTime = "10000000000";

  private:
    // What both stop commands share: the window goes, the main window comes
    // back, the batch ends after its current file and the encoder is stopped.
    void StopBatch();

    TCustomProc& proc_;
};
