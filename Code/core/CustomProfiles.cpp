// TCustomProc: adding, saving and deleting custom profiles. A profile is a
// section of Config/UserProfileInfo.ini whose one key, named like the
// section, holds the six selected indexes; Config/UserProfileCount.ini counts
// the additions so that each one proposes a fresh name.
#include <algorithm>
#include <array>
#include <cstdint>

#include "AppTitle.h"
#include "IniFiles32.h"
#include "TextConvert.h"
#include "UnitCustomProc.h"

namespace {

constexpr const char* kProfileFile = "Config/UserProfileInfo.ini";
constexpr const char* kCountFile = "Config/UserProfileCount.ini";
constexpr const char* kCountName = "count";
constexpr const char* kProposedPrefix = "UserProfileInfo";
constexpr const char* kNamePrompt = "Plese input a name";
constexpr const char* kBadName = "Please enter a profile name without = or line breaks.";

// The INI file keeps neither: an "=" would end the key early and a line
// break would split the section, so the stored row could never be read back.
bool FitsTheFile(const std::string& name) {
    return name.find_first_of("=\r\n") == std::string::npos;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Sections are found without regard to letter case, so a name that differs
// only in case would land in the same section.
bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

// The six selections a profile stores, in the order of the row's fields.
std::string BuildProfileRow(const TOptionFormModel& options) {
    const std::array<const TSettingsList*, 6> lists = {
        &options.cbbVideoSize,    &options.cbbFramerate,     &options.cbbVideoBitrate,
        &options.cbbAudioBitrate, &options.cbbAudioChannels, &options.cbbAudioSample};
    std::string row;
    for (const TSettingsList* list : lists) {
        if (!row.empty()) row += '|';
        row += std::to_string(list->ItemIndex());
    }
    return row;
}

}  // namespace

bool TCustomProc::AddCustomProfile() {
    // Counted before the prompt, so a failing write stops here with nothing asked.
    int32_t count = 0;
    {
        TIniFile32 counter(lib_.AppPath + kCountFile);
        count = counter.ReadInteger(kCountName, kCountName, 0);
        // A hand-edited maximum stays where it is instead of overflowing.
        if (count < INT32_MAX) ++count;
        counter.WriteInteger(kCountName, kCountName, count);
    }

    const std::string proposed = kProposedPrefix + std::to_string(count);
    std::string answer = proposed;
    const bool confirmed = lib_.Ports().Messages->InputQuery(kAppTitle, kNamePrompt, answer);
    std::string name;
    if (confirmed) {
        name = TrimControls(answer);
        if (!FitsTheFile(name)) {
            lib_.ShowMsg(kBadName, 1);
            return false;
        }
    } else {
        // A cancelled prompt must not replace a profile the user kept.
        name = proposed;
        const std::vector<std::string> names = lib_.ReadConfigSections("UserProfileInfo.ini");
        if (std::any_of(names.begin(), names.end(),
                        [&](const std::string& n) { return SameName(n, name); }))
            return false;
    }

    TIniFile32 profiles(lib_.AppPath + kProfileFile);
    profiles.WriteString(name, name, BuildProfileRow(forms_.frmOption));
    return true;
}

bool TCustomProc::SaveCustomProfile() {
    const std::string name = TrimControls(forms_.frmOption.cbbCustomProfile.EditText());
    if (!FitsTheFile(name)) {
        lib_.ShowMsg(kBadName, 1);
        return false;
    }
    TIniFile32 profiles(lib_.AppPath + kProfileFile);
    profiles.WriteString(name, name, BuildProfileRow(forms_.frmOption));
    return true;
}

void TCustomProc::DeleteCustomProfile() {
    const TEditableList& list = forms_.frmOption.cbbCustomProfile;
    if (list.Count() < 1) return;
    TIniFile32 profiles(lib_.AppPath + kProfileFile);
    profiles.EraseSection(list.EditText());
}
