// The Options dialog: created hidden at start-up and shown from the main
// window without blocking it. Its controls and behaviour live in this class;
// the shell only creates it.
#pragma once

#include <QDialog>

#include "Forms.h"
#include "Ports.h"
#include "UnitCustomProc.h"

class TfrmOption : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 476;
    static constexpr int kClientHeight = 260;

    TfrmOption(TForms& forms, TCustomProc& proc, TPorts& ports, QWidget* parent);

  protected:
    TForms& forms_;
    TCustomProc& proc_;
    TPorts& ports_;
};
