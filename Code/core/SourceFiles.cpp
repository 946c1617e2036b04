// The source list: adding probed files, removing and clearing rows, the open
// dialog's filter and its remembered folder.
#include <array>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <unordered_set>

#include "IniFiles32.h"
#include "UnitCustomProc.h"
#include "Unit_CommonLib.h"

namespace {

constexpr const char* kReadErrorMsg = "Files reading error! Please check your files.";
constexpr const char* kZeroTime = "00:00:00";

constexpr const char* kSettingsFile = "Config/UserSettings.ini";
constexpr const char* kSettingsSection = "USRInfo";
constexpr const char* kInitDirKey = "InitDir";

constexpr std::array<std::string_view, 15> kAcceptedExtensions = {
    ".3gp", ".3g2", ".avi", ".m4v", ".mp4",  ".mpeg", ".mpg", ".asf",
    ".mov", ".wmv", ".vob", ".rm",  ".rmvb", ".flv",  ".swf",
};

struct FilterEntry {
    const char* Description;
    const char* Patterns;  // separated by ";"
};

constexpr std::array<FilterEntry, 11> kFilterTable = {{
    {"Supported Files",
     "*.3gp;*.mp4;*.m4v;*.mpeg;*.3g2;*.mpg;*.avi;*.asf;*.mov;*.wmv;*.flv;*.swf;*.rm;*.rmvb;*.vob;"},
    {"3GP, 3G2 Files (*.3gp,*.3g2)", "*.3gp"},
    {"AVI Files (*.avi)", "*.avi"},
    {"ASF Files (*.asf)", "*.asf"},
    {"MOV Files (*.mov)", "*.mov"},
    {"FLV ,SWF Flash Video (*.flv,swf)", "*.flv;*.swf"},
    {"MP4 File (*.mp4,*.m4v)", "*.mp4;*.m4v"},
    {"MPEG Files (*.mpeg,*.mpg)", "*.mpeg;*.mpg"},
    {"RM, RMVB (*.rm,*.rmvb)", "*.rm;*.rmvb"},
    {"VOB Video Files (*.vob)", "*.vob"},
    {"WMV Video Files (*.wmv)", "*.wmv"},
}};

// ASCII only: the user's locale must not change how "I" or "i" compare.
char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
bool IsAsciiLetter(char c) {
    return AsciiLower(c) != AsciiUpper(c);
}

// Linux dialogs match patterns with letter case, so "*.avi" would hide
// CLIP.AVI although the extension test accepts it.
std::string EitherCasePattern(std::string_view pattern) {
    std::string out;
    for (char c : pattern) {
        if (IsAsciiLetter(c)) {
            out += '[';
            out += AsciiLower(c);
            out += AsciiUpper(c);
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

int FindPath(const TSourceList& list, const std::string& path) {
    for (int row = 0; row < list.RowCount(); ++row) {
        if (list.Text(row, colFileName) == path) return row;
    }
    return -1;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    std::string folder = (home && *home) ? home : "/";
    if (folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

// --- TCommonLib

std::vector<TFileFilter> TCommonLib::SourceFileFilters() {
    std::vector<TFileFilter> filters;
    for (const auto& entry : kFilterTable) {
        TFileFilter filter;
        filter.Description = entry.Description;
        std::string_view rest = entry.Patterns;
        while (!rest.empty()) {
            const size_t end = rest.find(';');
            const std::string_view one = rest.substr(0, end);
            if (!one.empty()) filter.Patterns.push_back(EitherCasePattern(one));
            rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        }
        filters.push_back(std::move(filter));
    }
    return filters;
}

bool TCommonLib::IsAcceptedSourceFile(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string ext;
    for (char c : name.substr(dot)) ext += AsciiLower(c);
    for (auto accepted : kAcceptedExtensions) {
        if (ext == accepted) return true;
    }
    return false;
}

void TCommonLib::AddSourceFiles(TSourceList& list, const std::vector<std::string>& paths) {
    for (const auto& path : paths) {
        // Rows added earlier in this same call count too.
        if (FindPath(list, path) >= 0) continue;
        if (!IsAcceptedSourceFile(path)) continue;

        const std::string duration = SecondsToTimeText(GetVideoDuration(path));
        if (duration == kZeroTime) {
            ShowMsg(kReadErrorMsg, 1);
            continue;
        }
        // A file that vanished or lost its read permission after probing
        // gets no row: a row without a true size would mislead the batch.
        const int64_t size = GetSourceFileSize(path);
        if (size < 0) {
            ShowMsg(kReadErrorMsg, 1);
            continue;
        }
        list.Append(TSourceList::Row{"True", path, FormatFileSize(size), duration, kZeroTime,
                                     duration, duration});
    }
}

int64_t TCommonLib::GetVideoDuration(const std::string& path) {
    try {
        const int64_t ms = ports_.Probe->DurationMs(path);
        return ms > 0 ? ms / 1000 : 0;
    } catch (...) {
        return 0;
    }
}

int64_t TCommonLib::GetSourceFileSize(const std::string& path) {
    // Opening a FIFO or a device for reading could block, so only regular
    // files are opened.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return -1;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return -1;
    const std::streamoff size = file.tellg();
    return size < 0 ? -1 : static_cast<int64_t>(size);
}

std::vector<std::string> TCommonLib::SelectSourceFiles(bool removeDuplicates,
                                                       const std::string& initDir) {
    std::vector<std::string> paths = ports_.Dialogs->OpenFiles(initDir, SourceFileFilters());
    if (paths.empty()) return {};
    DialogFileName = paths.front();
    if (removeDuplicates) paths = RemoveDuplicates(paths);
    return paths;
}

std::vector<std::string> TCommonLib::RemoveDuplicates(const std::vector<std::string>& texts) {
    std::vector<std::string> result;
    std::unordered_set<std::string> seen;
    for (const auto& text : texts) {
        if (seen.insert(text).second) result.push_back(text);
    }
    return result;
}

void TCommonLib::RemoveSelectedRows(TSourceList& list) {
    if (list.SelectedCount() == 0) return;
    ports_.Pump->ProcessMessages();

    // The row before the focused one gets the focus afterwards. It is held
    // by its path, which no other row shares: handlers that run while
    // messages are let through may add or delete rows and shift indexes.
    const int before = list.RowBefore(list.FocusedRow());
    bool remembered = before >= 0;
    const std::string rememberedPath = remembered ? list.Text(before, colFileName) : std::string{};

    list.BeginUpdate();
    auto finish = [&] {
        if (remembered) {
            const int row = FindPath(list, rememberedPath);
            if (row >= 0) list.FocusAndSelect(row);
        }
        list.EndUpdate();
    };
    try {
        while (list.SelectedCount() > 0) {
            ports_.Pump->ProcessMessages();
            const int row = list.SelectedRow(0);
            if (row < 0) break;
            if (remembered && list.Text(row, colFileName) == rememberedPath) remembered = false;
            list.Delete(row);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

bool TCommonLib::ClearSourceList(TSourceList& list) {
    try {
        list.Clear();
        return true;
    } catch (...) {
        return false;
    }
}

// --- TCustomProc

std::string TCustomProc::ReadInitDir() {
    TIniFile32 ini(lib_.AppPath + kSettingsFile);
    return ini.ReadString(kSettingsSection, kInitDirKey, HomeFolder());
}

void TCustomProc::SaveInitDir() {
    const std::string& fileName = lib_.DialogFileName;
    const size_t slash = fileName.rfind('/');
    if (slash == std::string::npos) return;
    const std::string folder = fileName.substr(0, slash + 1);
    // A line break in the value would split it over several lines of the file.
    if (folder.find_first_of("\r\n") != std::string::npos) return;
    TIniFile32 ini(lib_.AppPath + kSettingsFile);
    ini.WriteString(kSettingsSection, kInitDirKey, folder);
}

void TCustomProc::btnOpenFileClick() {
    const std::string initDir = ReadInitDir();
    const std::vector<std::string> paths = lib_.SelectSourceFiles(true, initDir);
    lib_.AddSourceFiles(forms_.FrmMainForm.dxTreeSourceFileInfo, paths);
    SaveInitDir();
}

void TCustomProc::WMDropFiles(const std::vector<std::string>& paths) {
    // No duplicate pass here: the add itself keeps repeats out.
    lib_.AddSourceFiles(forms_.FrmMainForm.dxTreeSourceFileInfo, paths);
}

void TCustomProc::btnRemoveFileClick() {
    lib_.RemoveSelectedRows(forms_.FrmMainForm.dxTreeSourceFileInfo);
    StopVideo();
}

void TCustomProc::btnClearFileClick() {
    lib_.ClearSourceList(forms_.FrmMainForm.dxTreeSourceFileInfo);
    StopVideo();
}

void TCustomProc::dxTreeSourceFileInfoKeyDown(int key) {
    if (key == kVkDelete) btnRemoveFileClick();
}

void TCustomProc::dxTreeSourceFileInfoEndDrag(bool droppedOnList) {
    if (!droppedOnList) btnRemoveFileClick();
}
