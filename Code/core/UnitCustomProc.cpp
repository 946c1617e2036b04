#include "UnitCustomProc.h"

#include <array>

#include "OptionLogic.h"
#include "TextConvert.h"
#include "Unit_ConfigInfo.h"

namespace {

// The custom profile file in the Config folder.
constexpr const char* kProfileFile = "UserProfileInfo.ini";
constexpr const char* kNoChange = "none";

// Appends the items of a selection list (all but its last element), then
// the extra items, and selects the item its last element names. The list
// is not emptied first: callers that refill a list clear it themselves.
void FillFrom(TSettingsList& list, const std::vector<std::string>& source,
              const std::vector<std::string>& extra = {}) {
    for (size_t i = 0; i + 1 < source.size(); ++i) list.Add(source[i]);
    for (const std::string& item : extra) list.Add(item);
    if (!source.empty()) list.SetItemIndex(StrToInt(source.back()));
}

// The six lists a profile row selects in, in the order of its fields.
std::array<TSettingsList*, 6> ProfileTargets(TOptionFormModel& options) {
    return {&options.cbbVideoSize,    &options.cbbFramerate,     &options.cbbVideoBitrate,
            &options.cbbAudioBitrate, &options.cbbAudioChannels, &options.cbbAudioSample};
}

// Selects, field by field, the item each field names; a field equal to
// skip leaves its list alone. A field that is not a number throws
// EConvertError, with the fields before it already applied.
void SelectFields(TOptionFormModel& options, const std::vector<std::string>& fields,
                  const std::string& skip) {
    const auto targets = ProfileTargets(options);
    for (size_t i = 0; i < targets.size() && i < fields.size(); ++i) {
        if (fields[i] == skip) continue;
        targets[i]->SetItemIndex(StrToInt(fields[i]));
    }
}

}  // namespace

TCustomProc::TCustomProc(TCommonLib& lib, TForms& forms) : lib_(lib), forms_(forms) {}

void TCustomProc::FillAllLists() {
    TMainFormModel& main = forms_.FrmMainForm;
    TOptionFormModel& options = forms_.frmOption;
    FillOutputTypeList(main.cbbOutputFiletype);
    FillProfileList(main.cbbProfile);
    FillAspectRatioList(options.cbbAspectratio);
    FillVideoBitrateList(options.cbbVideoBitrate);
    FillAudioBitrateList(options.cbbAudioBitrate);
    FillAudioChannelsList(options.cbbAudioChannels);
    FillFrameRateList(options.cbbFramerate);
    FillAudioSampleList(options.cbbAudioSample);
    FillVolumeGainList(options.cbbAudioVolumeGain);
    FillVideoSizeList(options.cbbVideoSize);
}

void TCustomProc::FillOutputTypeList(TSettingsList& list) {
    FillFrom(list, GetOutputTypeList());
}

// The custom profiles follow the five quality levels, in file order, so
// index 5 + k is the profile of the file's section k.
void TCustomProc::FillProfileList(TSettingsList& list) {
    FillFrom(list, GetQualityList(), lib_.ReadConfigSections(kProfileFile));
}

void TCustomProc::FillAspectRatioList(TSettingsList& list) {
    FillFrom(list, GetAspectRatioList());
}

void TCustomProc::FillVideoBitrateList(TSettingsList& list) {
    FillFrom(list, GetVideoBitrateList());
}

void TCustomProc::FillAudioBitrateList(TSettingsList& list) {
    FillFrom(list, GetAudioBitrateList());
}

void TCustomProc::FillAudioChannelsList(TSettingsList& list) {
    FillFrom(list, GetAudioChannelsList());
}

void TCustomProc::FillFrameRateList(TSettingsList& list) {
    FillFrom(list, GetFrameRateList());
}

void TCustomProc::FillAudioSampleList(TSettingsList& list) {
    FillFrom(list, GetAudioSampleList());
}

void TCustomProc::FillVolumeGainList(TSettingsList& list) {
    FillFrom(list, GetVolumeGainList());
}

void TCustomProc::FillVideoSizeList(TSettingsList& list) {
    FillFrom(list, GetVideoSizeList());
}

void TCustomProc::ApplyProfile() {
    TOptionFormModel& options = forms_.frmOption;
    const int profile = forms_.FrmMainForm.cbbProfile.ItemIndex();
    if (profile > 4) {
        // A custom profile keeps the video lists' enabled state as it is.
        // It is found by its name, not its place: the main window's list
        // may be older than the dialog's.
        options.cbbCustomProfile.SetItemIndex(ChosenCustomProfile(forms_));
        ApplyCustomProfile();
        return;
    }

    std::vector<std::string> rows;
    bool hasVideo = false;
    switch (forms_.FrmMainForm.cbbOutputFiletype.ItemIndex()) {
        case 0:
            rows = GetMp4PresetList();
            hasVideo = true;
            break;
        case 1:
            rows = GetAacPresetList();
            break;
        case 2:
            rows = GetM4aPresetList();
            break;
        case 3:
            rows = GetMp3PresetList();
            break;
        default:
            break;  // no output type: no rows, the enabled state stays
    }
    if (!rows.empty()) {
        for (TSettingsList* list : {&options.cbbAspectratio, &options.cbbFramerate,
                                    &options.cbbVideoBitrate, &options.cbbVideoSize}) {
            list->SetEnabled(hasVideo);
        }
    }

    // Without a selected quality there is no row to take: nothing changes.
    std::string row = "none|none|none|none|none|none";
    if (profile >= 0 && static_cast<size_t>(profile) < rows.size()) {
        row = rows[static_cast<size_t>(profile)];
    }
    SelectFields(options, TCommonLib::SplitText(row, '|'), kNoChange);
}

void TCustomProc::GetCustomProfileRow(std::string& row) {
    const TEditableList& profiles = forms_.frmOption.cbbCustomProfile;
    const std::string name = profiles.ItemIndex() >= 0 ? profiles.SelectedText() : std::string();
    row = lib_.ReadConfigValue(kProfileFile, name);
}

void TCustomProc::ApplyCustomProfile() {
    std::string row;
    GetCustomProfileRow(row);
    if (row.empty()) return;
    // A stored row counts only whole; custom rows hold indexes, so an empty
    // field is the one that leaves its list alone.
    std::vector<std::string> fields = TCommonLib::SplitText(row, '|');
    if (fields.size() != 6) fields.assign(6, std::string());
    SelectFields(forms_.frmOption, fields, std::string());
}
