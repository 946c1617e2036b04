// The progress window: created hidden at start-up, shown by the batch.
// Its controls and behaviour live in this class; the shell only creates it.
#pragma once

#include <QDialog>

#include "Forms.h"
#include "Ports.h"
#include "UnitCustomProc.h"

class TfrmConverting : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 435;
    static constexpr int kClientHeight = 222;
    // The skinned area on top; a status bar fills the rest.
    static constexpr int kSkinHeight = 205;

    TfrmConverting(TForms& forms, TCustomProc& proc, TPorts& ports, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

    TForms& forms_;
    TCustomProc& proc_;
    TPorts& ports_;
};
