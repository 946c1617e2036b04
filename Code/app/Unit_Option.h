// The Options dialog frmOption: created hidden at start-up and shown from
// the main window without blocking it. A view over the dialog's models
// (TForms::frmOption); its handlers are those of TOptionLogic.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <memory>

#include "Forms.h"
#include "OptionLogic.h"
#include "Ports.h"
#include "UnitCustomProc.h"

// Shows an editable list model in an editable combo box: no insertion on
// Enter, no completion; typing clears the selection (onUserChange then
// runs), picking an item selects it (onUserChange runs too); changes from
// code keep the edit text the model holds.
void BindEditableComboBox(QComboBox* view, TEditableList& model,
                          std::function<void()> onUserChange = nullptr);

class TfrmOption : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 476;
    static constexpr int kClientHeight = 260;

    TfrmOption(TForms& forms, TCustomProc& proc, TPorts& ports, QWidget* parent);

    TOptionLogic& Logic() { return logic_; }

    // Controls, under their names.
    QLabel* lblCustomProfile;
    QComboBox* cbbCustomProfile;
    QPushButton* btnAdd;
    QPushButton* btnSave;
    QPushButton* btnDel;
    QGroupBox* grpAdvOptions;
    QLabel* lblVideoSize;
    QComboBox* cbbVideoSize;
    QLabel* lblVideoBitrate;
    QComboBox* cbbVideoBitrate;
    QLabel* lblFramerate;
    QComboBox* cbbFramerate;
    QLabel* lblAspectratio;
    QComboBox* cbbAspectratio;
    QLabel* lblAudioBitrate;
    QComboBox* cbbAudioBitrate;
    QLabel* lblAudioSample;
    QComboBox* cbbAudioSample;
    QLabel* lblAudioVolumeGain;
    QComboBox* cbbAudioVolumeGain;
    QLabel* lblAudioChannels;
    QComboBox* cbbAudioChannels;
    QPushButton* btnApply;
    QPushButton* btnCancel;

    // Handlers.
    void FormShow();
    void cbbCustomProfileChange();
    void btnAddClick();
    void btnSaveClick();
    void btnDelClick();
    void btnApplyClick();
    void btnCancelClick();

  public slots:
    // Esc is Cancel.
    void reject() override;

  protected:
    void setVisible(bool visible) override;
    void showEvent(QShowEvent* event) override;
    // The close box hides the dialog and keeps the lists as they are.
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls();
    void BindModels();
    // Runs handler guarded; true when it ended without an error.
    bool Guard(const std::function<void()>& handler);

    TForms& forms_;
    TCustomProc& proc_;
    TPorts& ports_;
    TOptionLogic logic_;
    bool centred_ = false;
};
