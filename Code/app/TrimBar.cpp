#include "TrimBar.h"

#include <QMouseEvent>
#include <QPainter>

#include "Skin.h"

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons,
                         bool doubleClick) {
    TShiftState state = 0;
    if (modifiers & Qt::ShiftModifier) state |= ssShift;
    if (modifiers & Qt::AltModifier) state |= ssAlt;
    if (modifiers & Qt::ControlModifier) state |= ssCtrl;
    if (buttons & Qt::LeftButton) state |= ssLeft;
    if (buttons & Qt::RightButton) state |= ssRight;
    if (buttons & Qt::MiddleButton) state |= ssMiddle;
    if (doubleClick) state |= ssDouble;
    return state;
}

QImage MarkerPicture(const QImage& picture, const QSize& size, const QColor& face) {
    QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb faceRgb = face.rgba();
    for (int y = 0; y < source.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(source.scanLine(y));
        for (int x = 0; x < source.width(); ++x)
            if (line[x] == qRgba(0, 0, 0, 255)) line[x] = faceRgb;
    }
    QImage look(size, QImage::Format_ARGB32_Premultiplied);
    look.fill(face);
    QPainter painter(&look);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), size), source);
    return look;
}

// --- TTrimImage -------------------------------------------------------------

TTrimImage::TTrimImage(const char* name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
}

void TTrimImage::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void TTrimImage::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), picture_);
}

void TTrimImage::mousePressEvent(QMouseEvent* event) {
    Press(event, false);
}

void TTrimImage::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt sends the second press of a double click here instead of as a press.
    Press(event, true);
}

void TTrimImage::Press(QMouseEvent* event, bool doubleClick) {
    TMouseButton button;
    switch (event->button()) {
        case Qt::LeftButton:
            button = TMouseButton::Left;
            break;
        case Qt::RightButton:
            button = TMouseButton::Right;
            break;
        case Qt::MiddleButton:
            button = TMouseButton::Middle;
            break;
        default:
            event->ignore();
            return;
    }
    event->accept();
    if (OnMouseDown)
        OnMouseDown(button, ShiftStateOf(event->modifiers(), event->buttons(), doubleClick));
}

// --- TTrimMarker ------------------------------------------------------------

TTrimMarker::TTrimMarker(const char* name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setCursor(Qt::PointingHandCursor);
}

void TTrimMarker::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void TTrimMarker::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    const qreal ratio = devicePixelRatioF();
    QImage look = MarkerPicture(picture_, size() * ratio, palette().color(QPalette::Button));
    look.setDevicePixelRatio(ratio);
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), look);
}

void TTrimMarker::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    // Positions on the screen: the marker itself moves under the mouse.
    pressX_ = event->globalPosition().x();
    dragging_ = true;
    if (OnDragStart) OnDragStart();
}

void TTrimMarker::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    event->accept();
    if (OnDrag) OnDrag(qRound(event->globalPosition().x() - pressX_));
}

void TTrimMarker::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) return;
    event->accept();
    if (OnDrag) OnDrag(qRound(event->globalPosition().x() - pressX_));
    dragging_ = false;
    if (OnDragEnd) OnDragEnd();
}

// --- TTrimBar ---------------------------------------------------------------

TTrimBar::TTrimBar(QWidget* parent)
    : QFrame(parent),
      Panel2(new TTrimImage("Panel2", this)),
      Splitter1(new TTrimMarker("Splitter1", this)),
      Panel4(new TTrimImage("Panel4", this)),
      Splitter2(new TTrimMarker("Splitter2", this)),
      Panel3(new TTrimImage("Panel3", this)) {
    setObjectName("Panel1");
    setFixedSize(kWidth, kHeight);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(TTrimStrip::kBevel);

    const qreal ratio = devicePixelRatioF();
    const QSize inner(kWidth - 2 * TTrimStrip::kBevel, kHeight - 2 * TTrimStrip::kBevel);
    const QPixmap strip = SkinPixmap("trim_strip.svg", inner, ratio);
    for (TTrimImage* image : {Panel2, Panel4, Panel3}) image->SetPicture(strip);
    const QSize marker(kMarkerPictureWidth, kMarkerPictureHeight);
    imgL = RenderSkin("marker_left.svg", marker);
    imgR = RenderSkin("marker_right.svg", marker);
    Splitter1->SetPicture(imgL);
    Splitter2->SetPicture(imgR);

    // A drag resizes the image on the marker's outer side, live; the model
    // keeps every image at least 1 pixel wide, so the markers never pass
    // each other, and the moved handler runs once, when the drag ends.
    Splitter1->OnDragStart = [this] { dragStartWidth_ = model_->Panel2Width(); };
    Splitter1->OnDrag = [this](int dx) { model_->SetPanel2Width(dragStartWidth_ + dx); };
    Splitter1->OnDragEnd = [this] {
        if (model_->Panel2Width() != dragStartWidth_ && OnSplitter1Moved) OnSplitter1Moved();
    };
    Splitter2->OnDragStart = [this] { dragStartWidth_ = model_->Panel3Width(); };
    Splitter2->OnDrag = [this](int dx) { model_->SetPanel3Width(dragStartWidth_ - dx); };
    Splitter2->OnDragEnd = [this] {
        if (model_->Panel3Width() != dragStartWidth_ && OnSplitter2Moved) OnSplitter2Moved();
    };
    Panel2->OnMouseDown = [this](TMouseButton button, TShiftState shift) {
        if (OnPanel2MouseDown) OnPanel2MouseDown(button, shift);
    };
    Panel4->OnMouseDown = [this](TMouseButton button, TShiftState shift) {
        if (OnPanel4MouseDown) OnPanel4MouseDown(button, shift);
    };
    Panel3->OnMouseDown = [this](TMouseButton button, TShiftState shift) {
        if (OnPanel3MouseDown) OnPanel3MouseDown(button, shift);
    };
    Bind(own_);
}

TTrimBar::~TTrimBar() {
    model_->SetOnChanged(nullptr);
}

void TTrimBar::Bind(TTrimStrip& model) {
    model_->SetOnChanged(nullptr);
    model_ = &model;
    model_->SetOnChanged([this] { Place(); });
    Place();
}

void TTrimBar::Place() {
    const TTrimStrip& m = *model_;
    const int top = TTrimStrip::kBevel;
    const int height = kHeight - 2 * TTrimStrip::kBevel;
    Panel2->setGeometry(m.Panel2Left(), top, m.Panel2Width(), height);
    Splitter1->setGeometry(m.Splitter1Left(), top, m.Splitter1Width(), height);
    Panel4->setGeometry(m.Panel4Left(), top, m.Panel4Width(), height);
    Splitter2->setGeometry(m.Splitter2Left(), top, m.Splitter2Width(), height);
    Panel3->setGeometry(m.Panel3Left(), top, m.Panel3Width(), height);
}
