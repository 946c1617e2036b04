#include "Unit_Converting.h"

#include <QPainter>

#include "Skin.h"

TfrmConverting::TfrmConverting(TForms& forms, TCustomProc& proc, TPorts& ports, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      forms_(forms),
      proc_(proc),
      ports_(ports) {
    setObjectName("frmConverting");
    setWindowTitle("Converting");
    setFixedSize(kClientWidth, kClientHeight);
    setModal(false);
}

void TfrmConverting::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(
        0, 0, SkinPixmap("progress.svg", QSize(kClientWidth, kSkinHeight), devicePixelRatioF()));
}
