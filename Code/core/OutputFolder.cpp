// TCommonLib: the output folder chooser.
#include "OutputFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include "Unit_CommonLib.h"

namespace {

constexpr const char* kBrowseTitle = "Please select output folder:";
constexpr const char* kInvalidPath = "The path is invalid.";
constexpr const char* kReadOnlyPath = "This is a read-only path.";

bool IsFolder(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Errors are left for the conversion, which prepares the folder again.
void ForceFolder(const std::string& path) {
    std::error_code ignored;
    std::filesystem::create_directories(path, ignored);
}

}  // namespace

std::string OutputProbeFolder(const std::string& folder) {
    if (!folder.empty() && folder.back() == '/') return folder + "test";
    return folder + "/test";
}

bool OutputFolderWritable(const std::string& folder) {
    const std::string probe = OutputProbeFolder(folder);
    if (::mkdir(probe.c_str(), 0700) == 0) {
        // Only what the probe made is removed.
        ::rmdir(probe.c_str());
        return true;
    }
    if (errno != EEXIST) return false;
    return IsFolder(probe) && ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::string TCommonLib::SelectOutputFolder(const std::string& current) {
    std::string accepted;
    if (const std::optional<std::string> chosen = ports_.Dialogs->ChooseFolder(kBrowseTitle)) {
        if (!IsFolder(*chosen))
            ShowMsg(kInvalidPath, 1);
        else if (OutputFolderWritable(*chosen))
            accepted = *chosen;
        else
            ShowMsg(kReadOnlyPath, 1);
    }
    // Whatever was chosen, the folder the field shows afterwards exists.
    const std::string& result = accepted.empty() ? current : accepted;
    if (!IsFolder(result)) ForceFolder(result);
    return result;
}
