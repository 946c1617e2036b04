// The trim strip Panel1 under the preview: the left image Panel2, the start
// marker Splitter1, the middle image Panel4, the end marker Splitter2 and
// the right image Panel3, placed from the widths of the strip model. The
// strip only shows the model and reports what the mouse does; the owner's
// handlers decide what a press or a finished drag means.
#pragma once

#include <QFrame>
#include <QImage>
#include <QPixmap>
#include <functional>

#include "TrimStrip.h"

// The flags of a mouse press: the keys and mouse buttons held (the pressed
// button among them) and whether it is the second press of a double click.
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons,
                         bool doubleClick);

// A marker's look: the picture stretched to size, its black pixels shown in
// the face colour and its transparent ones over it.
QImage MarkerPicture(const QImage& picture, const QSize& size, const QColor& face);

// One of the three images: the strip's picture stretched to its size.
class TTrimImage : public QWidget {
    Q_OBJECT
  public:
    TTrimImage(const char* name, QWidget* parent);
    void SetPicture(const QPixmap& picture);
    std::function<void(TMouseButton, TShiftState)> OnMouseDown;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void Press(QMouseEvent* event, bool doubleClick);
    QPixmap picture_;
};

// A marker: painted from its picture, dragged with the left button. It
// reports the horizontal distance from the press while the drag lasts.
class TTrimMarker : public QWidget {
    Q_OBJECT
  public:
    TTrimMarker(const char* name, QWidget* parent);
    void SetPicture(const QImage& picture);
    std::function<void()> OnDragStart;
    std::function<void(int dx)> OnDrag;
    std::function<void()> OnDragEnd;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QImage picture_;
    double pressX_ = 0;
    bool dragging_ = false;
};

class TTrimBar : public QFrame {
    Q_OBJECT
  public:
    static constexpr int kWidth = TTrimStrip::kStripWidth;
    static constexpr int kHeight = TTrimStrip::kStripHeight;
    static constexpr int kMarkerPictureWidth = 18;
    static constexpr int kMarkerPictureHeight = 20;

    explicit TTrimBar(QWidget* parent);
    ~TTrimBar() override;

    // Shows model from now on; the model must outlive the strip or be
    // bound to another before it goes.
    void Bind(TTrimStrip& model);
    TTrimStrip& Model() const { return *model_; }

    TTrimImage* Panel2;
    TTrimMarker* Splitter1;
    TTrimImage* Panel4;
    TTrimMarker* Splitter2;
    TTrimImage* Panel3;
    // The markers' pictures, 18 x 20.
    QImage imgL;
    QImage imgR;

    // A marker's drag ended with the marker somewhere else.
    std::function<void()> OnSplitter1Moved;
    std::function<void()> OnSplitter2Moved;
    std::function<void(TMouseButton, TShiftState)> OnPanel2MouseDown;
    std::function<void(TMouseButton, TShiftState)> OnPanel4MouseDown;
    std::function<void(TMouseButton, TShiftState)> OnPanel3MouseDown;

  private:
    void Place();
    TTrimStrip own_;
    TTrimStrip* model_ = &own_;
    int dragStartWidth_ = 0;
};
