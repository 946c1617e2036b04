#include "SoftInfo.h"

#include <QApplication>

#include "SiblingApi.h"
#include "SiblingLibrary.h"

namespace {

// The string table's texts are read into buffers of this size.
constexpr int kStringBufferSize = 254;

}  // namespace

std::vector<std::string> LoadSoftInfo(const std::string& folder, TRecSoftInfo& info) {
    struct Entry {
        int id;
        std::string TRecSoftInfo::*field;
    };
    static const Entry kEntries[] = {
        {ORV_STR_COMPANY_NAME, &TRecSoftInfo::CompanyName},
        {ORV_STR_PRODUCT_NAME, &TRecSoftInfo::ProductName},
        {ORV_STR_INFO_TEXT2, &TRecSoftInfo::InfoText2},
        {ORV_STR_VERSION, &TRecSoftInfo::Version},
        {ORV_STR_HOME_PAGE, &TRecSoftInfo::HomePage},
        {ORV_STR_EMAIL, &TRecSoftInfo::Email},
        {ORV_STR_INFO_TEXT7, &TRecSoftInfo::InfoText7},
    };
    std::vector<std::string> problems;
    for (const auto& entry : kEntries) (info.*entry.field).clear();

    TSiblingLibrary library(folder + kAssetsLibrary, false);
    if (!library.Loaded()) {
        problems.push_back("cannot load " + std::string(kAssetsLibrary) + ": " + library.Error());
        return problems;
    }
    auto loadString = library.Symbol<TAssetsLoadString>(ORV_ASSETS_LOAD_STRING);
    if (loadString == nullptr) {
        problems.push_back(std::string(kAssetsLibrary) + " has no entry " + ORV_ASSETS_LOAD_STRING +
                           ": " + library.Error());
        return problems;
    }
    for (const auto& entry : kEntries) {
        char buffer[kStringBufferSize] = {};
        const int copied = loadString(entry.id, buffer, kStringBufferSize);
        // Whatever the library wrote, the text ends at the first NUL inside the buffer.
        buffer[kStringBufferSize - 1] = '\0';
        info.*entry.field = buffer;
        if (copied <= 0)
            problems.push_back(std::string(kAssetsLibrary) + " has no string entry " +
                               std::to_string(entry.id));
    }
    return problems;
}

QImage LoadSplashPicture(const std::string& folder, std::string& why) {
    why.clear();
    TSiblingLibrary library(folder + kAssetsLibrary, false);
    if (!library.Loaded()) {
        why = "cannot load " + std::string(kAssetsLibrary) + ": " + library.Error();
        return {};
    }
    auto findResource = library.Symbol<TAssetsFindResource>(ORV_ASSETS_FIND_RESOURCE);
    if (findResource == nullptr) {
        why = std::string(kAssetsLibrary) + " has no entry " + ORV_ASSETS_FIND_RESOURCE;
        return {};
    }
    size_t size = 0;
    const unsigned char* bytes = findResource("ImgFlash", "jpeg", &size);
    if (bytes == nullptr || size == 0) {
        why = std::string(kAssetsLibrary) + " has no resource \"ImgFlash\" of type \"jpeg\"";
        return {};
    }
    // Decoded here, while the library and its bytes are still loaded.
    QImage picture = QImage::fromData(bytes, static_cast<int>(size), "JPEG");
    if (picture.isNull())
        why = "the resource \"ImgFlash\" of " + std::string(kAssetsLibrary) +
              " is not a readable JPEG picture";
    return picture;
}

void OpenHomePage(IDesktop& desktop, const TRecSoftInfo& info) {
    desktop.OpenAddress(info.HomePage);
}

void SendEmail(IDesktop& desktop, const TRecSoftInfo& info) {
    desktop.OpenAddress("mailto:" + info.Email);
}

void OpenHelp(IDesktop& desktop, const TRecSoftInfo& info) {
    desktop.OpenLocalFile(info.AppPath + kManualFile);
}

bool ShowAbout(const std::string& folder, const TRecSoftInfo& info) {
    // Looked up at every use; the library stays mapped after closing, as
    // it holds Qt code.
    TSiblingLibrary library(folder + kPanesLibrary, true);
    if (!library.Loaded()) return false;
    auto showAboutForm = library.Symbol<TShowAboutForm>(ORV_SHOW_ABOUT_FORM);
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (showAboutForm == nullptr || application == nullptr) return false;
    TOrvSoftInfo record{};
    record.StructSize = sizeof record;
    record.CompanyName = info.CompanyName.c_str();
    record.ProductName = info.ProductName.c_str();
    record.InfoText2 = info.InfoText2.c_str();
    record.Version = info.Version.c_str();
    record.HomePage = info.HomePage.c_str();
    record.Email = info.Email.c_str();
    record.InfoText7 = info.InfoText7.c_str();
    record.AppPath = info.AppPath.c_str();
    showAboutForm(static_cast<void*>(application), &record);
    return true;
}
