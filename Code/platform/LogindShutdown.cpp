#include "LogindShutdown.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>

namespace {
// Long enough for a user to answer an authorisation dialog.
constexpr int kReplyTimeoutMs = 5 * 60 * 1000;
}  // namespace

bool TLogindShutdown::PowerOff() {
    QDBusInterface manager("org.freedesktop.login1", "/org/freedesktop/login1",
                           "org.freedesktop.login1.Manager", QDBusConnection::systemBus());
    if (!manager.isValid()) return false;
    manager.setTimeout(kReplyTimeoutMs);
    const QDBusMessage reply = manager.call("PowerOff", true);
    return reply.type() == QDBusMessage::ReplyMessage;
}
