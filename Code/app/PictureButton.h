// A button drawn from three pictures: up, down (pressed) and hot (under the
// mouse). Disabled, it shows its up picture faded.
#pragma once

#include <QAbstractButton>

#include "Skin.h"

class TPictureButton : public QAbstractButton {
    Q_OBJECT
  public:
    // skinName: the button's picture strip in skin/buttons/; size: the
    // button's size, which is also each picture's size.
    TPictureButton(const QString& objectName, const QString& skinName, const QSize& size,
                   const QString& toolTip, QWidget* parent);
    QSize sizeHint() const override { return size_; }
    const TButtonPictures& Pictures() const { return pictures_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void LoadPictures();
    QString skinName_;
    QSize size_;
    TButtonPictures pictures_;
    bool hot_ = false;
};
