#include "IniFiles32.h"
#include "Unit_CommonLib.h"

// Each reader opens its own engine on the file, so it sees the file as it
// is on disk now.

std::vector<std::string> TCommonLib::ReadConfigSections(const std::string& fileName) const {
    TIniFile32 ini(AppPath + "Config/" + fileName);
    std::vector<std::string> sections;
    ini.ReadSections(&sections);
    return sections;
}

std::string TCommonLib::ReadConfigValue(const std::string& fileName,
                                        const std::string& name) const {
    TIniFile32 ini(AppPath + "Config/" + fileName);
    return ini.ReadString(name, name, "");
}
