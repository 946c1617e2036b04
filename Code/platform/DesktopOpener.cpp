#include "DesktopOpener.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFile>
#include <QStringList>

namespace {

const char* const kFileManagerService = "org.freedesktop.FileManager1";

bool FileManagerAvailable(const QDBusConnection& bus) {
    if (!bus.isConnected()) return false;
    QDBusConnectionInterface* daemon = bus.interface();
    if (!daemon) return false;
    if (daemon->isServiceRegistered(kFileManagerService).value()) return true;
    // Usually started on demand by the bus, so not registered yet.
    return daemon->activatableServiceNames().value().contains(kFileManagerService);
}

}  // namespace

QUrl LocalFileUrl(const std::string& path) {
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    const QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) == bytes) return QUrl::fromLocalFile(name);
    // Not valid in the file-name encoding: build the address from the bytes.
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

void TDesktopOpener::OpenFolder(const std::string& folder) {
    const QUrl url = LocalFileUrl(folder);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (FileManagerAvailable(bus)) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kFileManagerService, "/org/freedesktop/FileManager1",
                                           kFileManagerService, "ShowFolders");
        call << QStringList{QString::fromLatin1(url.toEncoded())} << QString();
        // No reply is awaited: the file manager's window is its own affair.
        if (bus.send(call)) return;
    }
    QDesktopServices::openUrl(url);
}

void TDesktopOpener::OpenAddress(const std::string& address) {
    QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromUtf8(address)));
}

void TDesktopOpener::OpenLocalFile(const std::string& path) {
    QDesktopServices::openUrl(LocalFileUrl(path));
}
