// The preview area pnlMediaView, and the preview's controls bound to their
// models and handlers: the logo or the video, the play time, the position
// bar, the clock, the play buttons, the trim strip and the source list's
// clicks.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTimer>
#include <QVideoWidget>

#include "PreviewLogic.h"
#include "TrimBar.h"
#include "TrimLogic.h"

class TQtPlayer;

// The logo panel panLogo while nothing is shown, the video page while a file
// is loaded. A video widget is a native window that nothing can be painted
// over, so the two sit in a stack.
class TMediaView : public QFrame {
    Q_OBJECT
  public:
    static constexpr int kWidth = 260;
    static constexpr int kHeight = 158;
    // The bevels' width on each side; the video area is 256 x 154.
    static constexpr int kBevel = 2;

    explicit TMediaView(QWidget* parent);
    ~TMediaView() override;

    // Sends the player's pictures to the video widget until this view goes.
    void AttachPlayer(TQtPlayer* player);

    QStackedWidget* Pages;
    QLabel* panLogo;
    QWidget* VideoPage;
    QVideoWidget* DSVideoWindowEx1;

  private:
    QPointer<TQtPlayer> player_;
};

// The preview's widgets on the main window.
struct TPreviewWidgets {
    TMediaView* MediaView;
    TTrimBar* TrimBar;
    QProgressBar* PlayState;
    QLabel* CurTime;
    QAbstractButton* Play;
    QAbstractButton* Pause;
    QAbstractButton* Stop;
    QAbstractItemView* SourceList;
};

// Binds the preview's widgets to the main window's models and runs the
// preview and trim handlers for them, each through the error report.
class TPreviewControls : public QObject {
    Q_OBJECT
  public:
    // The widgets must outlive these controls; proc and ports outlive them.
    TPreviewControls(TCustomProc& proc, TPorts& ports, const TPreviewWidgets& widgets);
    ~TPreviewControls() override;

    // The real player: its pictures go to the video area and its end of
    // the media runs MediaEnded.
    void AttachPlayer(TQtPlayer& player);

    // The clock: a precise 1000 ms timer that runs while a file plays.
    QTimer* dstrckbrMainform;

    void dstrckbrMainformTimer();
    void btnPlayClick();
    void btnPauseClick();
    void RzBmpButton1Click();
    void dxTreeSourceFileInfoDblClick();
    void MediaEnded();
    void actDxTreeListOnClickExecute();
    void Splitter1Moved();
    void Splitter2Moved();
    void Panel2MouseDown(TMouseButton button, TShiftState shift);
    void Panel4MouseDown(TMouseButton button, TShiftState shift);
    void Panel3MouseDown(TMouseButton button, TShiftState shift);

  private:
    void Guard(const std::function<void()>& handler);
    void FollowClock();
    void ShowLogo();

    TCustomProc& proc_;
    TPorts& ports_;
    TPreviewWidgets widgets_;
    TPreviewLogic preview_;
    TTrimLogic trim_;
    QPointer<TQtPlayer> player_;
};
