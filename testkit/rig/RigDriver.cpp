// Drives the headless compositor as a user at its seat would: pointer motion and keys through
// mutter's own remote-desktop interface, with the commands of rig/DriverCommands.h read from a
// FIFO the test writes to; "stop-sharing" ends the GNOME portal back end's screen casts.
// The session lives as long as this process: mutter ends it when its D-Bus peer goes away.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>

#include "rig/DriverCommands.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

const QString kMutter = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
const QString kScreenCast = QStringLiteral("org.gnome.Mutter.ScreenCast");

QDBusMessage call(const QString& service, const QString& path, const QString& interface, const QString& method,
                  const QList<QVariant>& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        throw std::runtime_error(method.toStdString() + ": " + reply.errorMessage().toStdString());
    }
    return reply;
}

class Seat {
public:
    Seat() {
        session_ = call(kMutter, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), kMutter,
                        QStringLiteral("CreateSession"))
                       .arguments()
                       .first()
                       .value<QDBusObjectPath>()
                       .path();
        const QDBusMessage id = call(kMutter, session_, QStringLiteral("org.freedesktop.DBus.Properties"),
                                     QStringLiteral("Get"), {kMutter + QStringLiteral(".Session"), QStringLiteral("SessionId")});
        const QString sessionId = id.arguments().first().value<QDBusVariant>().variant().toString();
        // Absolute motion is given relative to a screen-cast stream of the same session.
        QVariantMap properties;
        properties.insert(QStringLiteral("remote-desktop-session-id"), sessionId);
        const QString cast = call(kScreenCast, QStringLiteral("/org/gnome/Mutter/ScreenCast"), kScreenCast,
                                  QStringLiteral("CreateSession"), {properties})
                                 .arguments()
                                 .first()
                                 .value<QDBusObjectPath>()
                                 .path();
        stream_ = call(kScreenCast, cast, kScreenCast + QStringLiteral(".Session"), QStringLiteral("RecordMonitor"),
                       {QString(), QVariantMap()})
                      .arguments()
                      .first()
                      .value<QDBusObjectPath>()
                      .path();
        session(QStringLiteral("Start"));
    }
    ~Seat() {
        try {
            session(QStringLiteral("Stop"));
        } catch (const std::exception&) {
            // the compositor went first
        }
    }

    void move(double x, double y) { session(QStringLiteral("NotifyPointerMotionAbsolute"), {stream_, x, y}); }
    void nudge(double dx, double dy) { session(QStringLiteral("NotifyPointerMotionRelative"), {dx, dy}); }
    void key(unsigned keysym, bool down) { session(QStringLiteral("NotifyKeyboardKeysym"), {keysym, down}); }
    // Ends every screen-cast session of the GNOME portal back end, as its "stop sharing" does;
    // throws when there was none. The back end's sessions sit at .../session/SENDER/TOKEN.
    void stopSharing() {
        const QString backend = QStringLiteral("org.freedesktop.impl.portal.desktop.gnome");
        const QString root = QStringLiteral("/org/freedesktop/portal/desktop/session");
        int stopped = 0;
        for (const QString& sender : children(backend, root)) {
            for (const QString& token : children(backend, root + QLatin1Char('/') + sender)) {
                call(backend, root + QLatin1Char('/') + sender + QLatin1Char('/') + token,
                     QStringLiteral("org.freedesktop.impl.portal.Session"), QStringLiteral("Close"));
                ++stopped;
            }
        }
        if (stopped == 0) throw std::runtime_error("no screen sharing to stop");
    }
    void click() {
        constexpr int kLeftButton = 0x110;  // BTN_LEFT
        for (bool down : {true, false}) session(QStringLiteral("NotifyPointerButton"), {kLeftButton, down});
    }

private:
    static QStringList children(const QString& service, const QString& path) {
        const QString xml = call(service, path, QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                 QStringLiteral("Introspect"))
                                .arguments()
                                .first()
                                .toString();
        QStringList names;
        for (const QString& part : xml.split(QStringLiteral("<node name=\"")).mid(1)) {
            names << part.section(QLatin1Char('"'), 0, 0);
        }
        return names;
    }
    void session(const QString& method, const QList<QVariant>& arguments = {}) {
        call(kMutter, session_, kMutter + QStringLiteral(".Session"), method, arguments);
    }
    QString session_;
    QString stream_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    return rig::serve<Seat>(argc, argv, "rig-driver");
}
