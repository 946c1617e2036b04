// Opens folders, addresses and local files with the desktop's default
// programs. Needs a running QGuiApplication.
#pragma once

#include <QUrl>
#include <string>

#include "Ports.h"

class TDesktopOpener : public IDesktop {
  public:
    // Shown by the session's file manager when one offers to show folders,
    // otherwise opened with the default program for folders.
    void OpenFolder(const std::string& folder) override;
    void OpenAddress(const std::string& address) override;
    void OpenLocalFile(const std::string& path) override;
};

// The file address of a local path, every byte of the name kept: "#", "?"
// and "%" are parts of the name, and a name that is not valid UTF-8 keeps
// its bytes, percent-encoded.
QUrl LocalFileUrl(const std::string& path);
