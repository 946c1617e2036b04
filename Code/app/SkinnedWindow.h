// A frameless, translucent top-level window whose outline and background
// are its skin picture, with the picture's transparent colour (its
// bottom-left pixel) cut away. The outline is painted through the alpha
// channel and also set as the window's mask, so it holds with and without
// a compositor, on X11 and Wayland alike.
#pragma once

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QWidget>

// Moves a window while the left button is held on one of the widgets it
// watches: the window system moves it where it can, otherwise it follows
// the mouse.
class TWindowDragger : public QObject {
    Q_OBJECT
  public:
    explicit TWindowDragger(QWidget* window);
    void Watch(QWidget* widget);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    bool pressed_ = false;
    bool manual_ = false;
    QPoint grabOffset_;
};

class TSkinnedWindow : public QWidget {
    Q_OBJECT
  public:
    // skinName: the window's picture in skin/.
    TSkinnedWindow(const QString& skinName, QWidget* parent = nullptr,
                   Qt::WindowFlags flags = Qt::Window);
    const QImage& SkinPicture() const { return skin_; }
    TWindowDragger* Dragger() const { return dragger_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void RenderSkinPicture();
    QString skinName_;
    QImage skin_;
    TWindowDragger* dragger_;
};
