#include "PictureButton.h"

#include <QEnterEvent>
#include <QPainter>

TPictureButton::TPictureButton(const QString& objectName, const QString& skinName,
                               const QSize& size, const QString& toolTip, QWidget* parent)
    : QAbstractButton(parent), skinName_(skinName), size_(size) {
    setObjectName(objectName);
    setToolTip(toolTip);
    setAccessibleName(toolTip);
    setFixedSize(size);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    LoadPictures();
}

void TPictureButton::LoadPictures() {
    pictures_ = LoadButtonPictures(skinName_, size_, devicePixelRatioF());
}

void TPictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPixmap* picture = &pictures_.Up;
    if (isEnabled()) {
        if (isDown() || isChecked())
            picture = &pictures_.Down;
        else if (hot_)
            picture = &pictures_.Hot;
    } else {
        painter.setOpacity(0.4);
    }
    painter.drawPixmap(0, 0, *picture);
    if (hasFocus() && isEnabled()) {
        // Keyboard users see where they are.
        painter.setOpacity(0.8);
        painter.setPen(QPen(QColor(0x2f, 0xb3, 0xe0), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void TPictureButton::enterEvent(QEnterEvent* event) {
    hot_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TPictureButton::leaveEvent(QEvent* event) {
    hot_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}
