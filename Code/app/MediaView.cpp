#include "MediaView.h"

#include <QVBoxLayout>

#include "Skin.h"

TMediaView::TMediaView(QWidget* parent)
    : QFrame(parent), Pages(new QStackedWidget(this)), panLogo(new QLabel), VideoPage(new QWidget) {
    setObjectName("pnlMediaView");
    setFixedSize(kWidth, kHeight);
    Pages->setObjectName("pnlMediaPages");
    panLogo->setObjectName("panLogo");
    panLogo->setAlignment(Qt::AlignCenter);
    panLogo->setPixmap(SkinPixmap("logo.svg", QSize(kWidth, kHeight), devicePixelRatioF()));
    VideoPage->setObjectName("pnlVideoPage");
    VideoPage->setLayout(new QVBoxLayout);
    VideoPage->layout()->setContentsMargins(0, 0, 0, 0);
    Pages->addWidget(panLogo);
    Pages->addWidget(VideoPage);
    Pages->setCurrentWidget(panLogo);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Pages);
}
