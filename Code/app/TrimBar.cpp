#include "TrimBar.h"

#include "Skin.h"

TTrimBar::TTrimBar(QWidget* parent)
    : QFrame(parent), imgL(new QLabel(this)), imgR(new QLabel(this)) {
    setObjectName("Panel1");
    setFixedSize(kWidth, kHeight);
    const QSize marker(kMarkerWidth, kMarkerHeight);
    imgL->setObjectName("imgL");
    imgL->setPixmap(SkinPixmap("marker_left.svg", marker, devicePixelRatioF()));
    imgL->setGeometry(0, 0, kMarkerWidth, kMarkerHeight);
    imgR->setObjectName("imgR");
    imgR->setPixmap(SkinPixmap("marker_right.svg", marker, devicePixelRatioF()));
    imgR->setGeometry(kWidth - kMarkerWidth, 0, kMarkerWidth, kMarkerHeight);
}
