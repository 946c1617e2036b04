#include "OptionLogic.h"

#include <algorithm>

#include "Forms.h"
#include "UnitCustomProc.h"

namespace {

constexpr const char* kProfileFile = "UserProfileInfo.ini";
// Custom profiles follow the five quality levels in the main window's list.
constexpr int kFirstCustomProfile = 5;

}  // namespace

int ChosenCustomProfile(const TForms& forms) {
    const TSettingsList& profiles = forms.FrmMainForm.cbbProfile;
    if (profiles.ItemIndex() < kFirstCustomProfile) return -1;
    const std::string name = profiles.SelectedText();
    const std::vector<std::string>& items = forms.frmOption.cbbCustomProfile.Items();
    const auto found = std::find(items.begin(), items.end(), name);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

TOptionLogic::TOptionLogic(TCustomProc& proc) : proc_(proc) {
    snapshot_.fill(-1);
}

std::array<TSettingsList*, 8> TOptionLogic::OptionLists() {
    TOptionFormModel& o = proc_.Forms().frmOption;
    return {&o.cbbVideoSize,    &o.cbbVideoBitrate, &o.cbbFramerate,       &o.cbbAspectratio,
            &o.cbbAudioBitrate, &o.cbbAudioSample,  &o.cbbAudioVolumeGain, &o.cbbAudioChannels};
}

void TOptionLogic::ReloadProfiles() {
    proc_.Forms().frmOption.cbbCustomProfile.ReplaceItems(
        proc_.Lib().ReadConfigSections(kProfileFile));
}

void TOptionLogic::FormShow() {
    TEditableList& profiles = proc_.Forms().frmOption.cbbCustomProfile;
    ReloadProfiles();
    if (profiles.EditText().empty()) profiles.SetItemIndex(ChosenCustomProfile(proc_.Forms()));

    const auto lists = OptionLists();
    for (size_t i = 0; i < lists.size(); ++i) snapshot_[i] = lists[i]->ItemIndex();
    snapshotProfile_ = profiles.ItemIndex();
    snapshotProfileName_ = profiles.SelectedText();
}

void TOptionLogic::cbbCustomProfileChange() {
    proc_.ApplyCustomProfile();
}

void TOptionLogic::btnAddClick() {
    if (!proc_.AddCustomProfile()) return;
    TEditableList& profiles = proc_.Forms().frmOption.cbbCustomProfile;
    ReloadProfiles();
    profiles.SetItemIndex(profiles.Count() - 1);
}

void TOptionLogic::btnSaveClick() {
    // A refused name stays in the edit field, so the user can mend it.
    if (!proc_.SaveCustomProfile()) return;
    TEditableList& profiles = proc_.Forms().frmOption.cbbCustomProfile;
    ReloadProfiles();
    profiles.SetItemIndex(profiles.Count() - 1);
}

void TOptionLogic::btnDelClick() {
    proc_.DeleteCustomProfile();
    TEditableList& profiles = proc_.Forms().frmOption.cbbCustomProfile;
    ReloadProfiles();
    profiles.SetItemIndex(profiles.Count() - 1);
    if (profiles.Count() == 0) profiles.SetEditText("");
}

void TOptionLogic::btnApplyClick() {
    TSettingsList& main = proc_.Forms().FrmMainForm.cbbProfile;
    main.Clear();
    proc_.FillProfileList(main);
}

void TOptionLogic::btnCancelClick() {
    const auto lists = OptionLists();
    for (size_t i = 0; i < lists.size(); ++i) lists[i]->SetItemIndex(snapshot_[i]);

    // Add and Delete may have shifted the items since the snapshot: the
    // profile comes back by its name, so a conversion never applies a
    // profile the user did not choose.
    TEditableList& profiles = proc_.Forms().frmOption.cbbCustomProfile;
    int index = -1;
    if (snapshotProfile_ >= 0) {
        if (profiles.ItemOrEmpty(snapshotProfile_) == snapshotProfileName_ &&
            snapshotProfile_ < profiles.Count()) {
            index = snapshotProfile_;
        } else {
            const auto& items = profiles.Items();
            const auto found = std::find(items.begin(), items.end(), snapshotProfileName_);
            if (found != items.end()) index = static_cast<int>(found - items.begin());
        }
    }
    profiles.SetItemIndex(index);
}
