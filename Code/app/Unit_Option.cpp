#include "Unit_Option.h"

TfrmOption::TfrmOption(TForms& forms, TCustomProc& proc, TPorts& ports, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      forms_(forms),
      proc_(proc),
      ports_(ports) {
    setObjectName("frmOption");
    setWindowTitle("Options");
    setFixedSize(kClientWidth, kClientHeight);
    setModal(false);
}
