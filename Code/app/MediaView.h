// The preview area pnlMediaView: the logo panel panLogo while nothing
// plays, the video page while a file plays. A video widget is a native
// window that nothing can be painted over, so the two sit in a stack.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QStackedWidget>

class TMediaView : public QFrame {
    Q_OBJECT
  public:
    static constexpr int kWidth = 260;
    static constexpr int kHeight = 158;

    explicit TMediaView(QWidget* parent);

    QStackedWidget* Pages;
    QLabel* panLogo;
    // Holds the video output once a player is attached.
    QWidget* VideoPage;
};
