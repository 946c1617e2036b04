// The Options dialog's logic: its handlers over the dialog's models
// (TForms::frmOption) and the main window's profile list. The Qt dialog is
// a view bound to those models; it calls these handlers and closes itself
// after OK and Cancel.
#pragma once

#include <array>
#include <string>

class TCustomProc;
class TEditableList;
class TSettingsList;
struct TForms;

// The item of the Options dialog's custom profile list whose text is the
// name chosen in the main window's profile list; -1 when a quality level
// (or nothing) is chosen there or no item has that name. The two lists are
// rebuilt at different moments, so only the name reliably pairs them.
int ChosenCustomProfile(const TForms& forms);

class TOptionLogic {
  public:
    explicit TOptionLogic(TCustomProc& proc);

    // The dialog became visible (not merely restored): lists the stored
    // profiles, selects the one chosen in the main window when the edit
    // text is empty, and takes the snapshot that Cancel goes back to.
    void FormShow();
    // The user picked a profile or typed: applies the selected profile, if any.
    void cbbCustomProfileChange();
    void btnAddClick();
    void btnSaveClick();
    void btnDelClick();
    // OK: the main window's profile list is rebuilt and shows "Normal Quality".
    void btnApplyClick();
    // Cancel and Esc: the nine selections of the snapshot come back.
    void btnCancelClick();

  private:
    void ReloadProfiles();
    std::array<TSettingsList*, 8> OptionLists();

    TCustomProc& proc_;
    std::array<int, 8> snapshot_;
    int snapshotProfile_ = -1;
    std::string snapshotProfileName_;
};
