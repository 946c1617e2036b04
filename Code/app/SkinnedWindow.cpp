#include "SkinnedWindow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "Skin.h"

TWindowDragger::TWindowDragger(QWidget* window) : QObject(window), window_(window) {}

void TWindowDragger::Watch(QWidget* widget) {
    widget->installEventFilter(this);
}

bool TWindowDragger::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) break;
            pressed_ = true;
            manual_ = false;
            grabOffset_ = mouse->globalPosition().toPoint() - window_->frameGeometry().topLeft();
            // A press on free skin belongs to the window; a control's own
            // presses never reach here, since the control accepts them.
            return true;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!pressed_ || !(mouse->buttons() & Qt::LeftButton)) break;
            if (!manual_) {
                QWindow* handle = window_->windowHandle();
                if (handle != nullptr && handle->startSystemMove()) {
                    // The window system has the mouse now; no release comes back.
                    pressed_ = false;
                    return true;
                }
                manual_ = true;
            }
            window_->move(mouse->globalPosition().toPoint() - grabOffset_);
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) pressed_ = false;
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

TSkinnedWindow::TSkinnedWindow(const QString& skinName, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::FramelessWindowHint),
      skinName_(skinName),
      dragger_(new TWindowDragger(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    dragger_->Watch(this);
}

void TSkinnedWindow::RenderSkinPicture() {
    if (!skin_.isNull() && skin_.deviceIndependentSize().toSize() == size()) return;
    skin_ = CutKeyColour(RenderSkin(skinName_, size(), devicePixelRatioF()));
    if (!skin_.isNull()) setMask(OutlineOf(skin_));
}

void TSkinnedWindow::showEvent(QShowEvent* event) {
    // A size set while the window was hidden may not have come as a resize.
    RenderSkinPicture();
    QWidget::showEvent(event);
}

void TSkinnedWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, skin_);
}

void TSkinnedWindow::resizeEvent(QResizeEvent* event) {
    // The skin covers the whole window, whatever its size.
    RenderSkinPicture();
    QWidget::resizeEvent(event);
}
