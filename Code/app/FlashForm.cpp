#include "FlashForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <iostream>

void InitSoftInfo(const TSplashTargets& targets) {
    targets.Pump->ProcessMessages();
    for (const auto& problem : LoadSoftInfo(targets.Folder, *targets.Info))
        std::cerr << "orvanel: " << problem << std::endl;
    targets.Info->AppPath = targets.Folder;
    targets.lblTitle->SetText(targets.Info->ProductName + " " + targets.Info->Version);
}

TFrmFlashForm::TFrmFlashForm(const QImage& picture, TSplashTargets targets, TSplashTimings timings,
                             QWidget* owner)
    : QDialog(owner, Qt::SplashScreen | Qt::FramelessWindowHint),
      ImgFlash(new QLabel(this)),
      Timer1(new QTimer(this)),
      Timer2(new QTimer(this)),
      targets_(std::move(targets)) {
    setObjectName("FrmFlashForm");
    setModal(true);
    ImgFlash->setObjectName("ImgFlash");
    ImgFlash->setPixmap(QPixmap::fromImage(picture));
    ImgFlash->move(0, 0);
    ImgFlash->resize(picture.size());
    setFixedSize(picture.size());
    Timer1->setInterval(timings.Timer1Ms);
    Timer2->setInterval(timings.Timer2Ms);
    connect(Timer1, &QTimer::timeout, this, &TFrmFlashForm::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TFrmFlashForm::Timer2Timer);
}

void TFrmFlashForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && !shown_) {
        shown_ = true;
        FormShow();
    }
}

void TFrmFlashForm::FormShow() {
    tickCount_ = 0;
    Timer1->start();
    Timer2->start();
}

void TFrmFlashForm::Timer1Timer() {
    Timer1->stop();
    InitSoftInfo(targets_);
    infoLoaded_ = true;
    CloseWhenDone();
}

void TFrmFlashForm::Timer2Timer() {
    ++tickCount_;
    CloseWhenDone();
}

// Closes once the texts are read and Timer2 has ticked twice (about two
// seconds after the show). Waiting for the timers in the event loop, not
// in a loop of its own, keeps the wait free of spinning.
void TFrmFlashForm::CloseWhenDone() {
    if (!infoLoaded_ || tickCount_ < 2) return;
    Timer2->stop();
    accept();
}

void ShowFlashForm(QWidget* owner, const TSplashTargets& targets, const TSplashTimings& timings) {
    std::string why;
    const QImage picture = LoadSplashPicture(targets.Folder, why);
    if (picture.isNull()) {
        std::cerr << "orvanel: no splash: " << why << std::endl;
        InitSoftInfo(targets);
        return;
    }
    TFrmFlashForm splash(picture, targets, timings, owner);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = QRect(QPoint(), splash.size());
        area.moveCenter(screen->availableGeometry().center());
        splash.move(area.topLeft());
    }
    splash.exec();
}
