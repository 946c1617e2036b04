// The product information read from libAssets.so, and the toolbar actions
// that use it.
#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "Ports.h"

inline constexpr const char* kAssetsLibrary = "libAssets.so";
inline constexpr const char* kPanesLibrary = "libPanes.so";
inline constexpr const char* kManualFile = "Manual.html";

// One program-wide record, filled while the splash is up.
struct TRecSoftInfo {
    std::string CompanyName;
    std::string ProductName;
    std::string InfoText2;
    std::string Version;
    std::string HomePage;
    std::string Email;
    std::string InfoText7;
    std::string AppPath;  // the program folder, ending in "/"
};

// Reads string-table entries 0 to 5 and 7 of folder's libAssets.so into
// info (each at most 253 bytes). Entries that cannot be read stay empty;
// the result says why, one text per problem, empty when all went well.
std::vector<std::string> LoadSoftInfo(const std::string& folder, TRecSoftInfo& info);

// The splash picture: the resource "ImgFlash" of type "jpeg" in folder's
// libAssets.so, decoded. A null image when there is none; why says why.
QImage LoadSplashPicture(const std::string& folder, std::string& why);

void OpenHomePage(IDesktop& desktop, const TRecSoftInfo& info);
void SendEmail(IDesktop& desktop, const TRecSoftInfo& info);
void OpenHelp(IDesktop& desktop, const TRecSoftInfo& info);
// The about box of folder's libPanes.so; nothing happens when the library
// or its entry is missing. Returns whether the box was shown.
bool ShowAbout(const std::string& folder, const TRecSoftInfo& info);
