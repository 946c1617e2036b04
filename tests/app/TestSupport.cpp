#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

std::map<std::string, TSuiteFactory>& Suites() {
    static std::map<std::string, TSuiteFactory> suites;
    return suites;
}

std::string BuiltAppDir() {
    const char* dir = std::getenv("ORV_APP_DIR");
    std::string path = dir != nullptr ? dir : "";
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

TProgramFolder::TProgramFolder() : dir_(QDir::tempPath() + "/orvanel-app-XXXXXX") {}

std::string TProgramFolder::Path() const {
    return dir_.path().toStdString() + "/";
}

bool TProgramFolder::CopyFromBuild(const std::string& name) {
    return CopyAs(BuiltAppDir() + name, name);
}

bool TProgramFolder::CopyAs(const std::string& source, const std::string& name) {
    const QString target = QString::fromStdString(Path() + name);
    if (!QFile::copy(QString::fromStdString(source), target)) return false;
    // Executables stay executable.
    return QFile::setPermissions(target, QFile::permissions(QString::fromStdString(source)));
}

bool TProgramFolder::Write(const std::string& name, const std::string& content) {
    const QString path = QString::fromStdString(Path() + name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    return file.write(content.data(), static_cast<qint64>(content.size())) ==
           static_cast<qint64>(content.size());
}
