// The splash: the picture from libAssets.so, shown modally for about two
// seconds while the product texts are read.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <string>

#include "Models.h"
#include "Ports.h"
#include "SoftInfo.h"

// The splash's pauses; tests pass shorter ones.
struct TSplashTimings {
    static constexpr int kTimer1Ms = 250;
    static constexpr int kTimer2Ms = 1000;
    int Timer1Ms = kTimer1Ms;
    int Timer2Ms = kTimer2Ms;
};

// What the splash fills in: the product information and the main window's
// title label.
struct TSplashTargets {
    std::string Folder;  // the program folder, ending in "/"
    TRecSoftInfo* Info;
    TTextValue* lblTitle;
    IEventPump* Pump;
};

// Reads the product texts into the targets and sets the title label.
void InitSoftInfo(const TSplashTargets& targets);

class TFrmFlashForm : public QDialog {
    Q_OBJECT
  public:
    TFrmFlashForm(const QImage& picture, TSplashTargets targets, TSplashTimings timings,
                  QWidget* owner);

    QLabel* ImgFlash;
    QTimer* Timer1;
    QTimer* Timer2;
    int TickCount() const { return tickCount_; }

  public slots:
    // Only the timers close the splash, not the Escape key.
    void reject() override {}

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
    void Timer1Timer();
    void Timer2Timer();
    void CloseWhenDone();
    TSplashTargets targets_;
    int tickCount_ = 0;
    bool infoLoaded_ = false;
    bool shown_ = false;
};

// Shows the splash, owned by owner, and returns when it has closed. Without
// a picture the splash is skipped, the texts are read all the same and the
// reason goes to standard error.
void ShowFlashForm(QWidget* owner, const TSplashTargets& targets, const TSplashTimings& timings);
