#include "platform/linux/screencast/PortalSession.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QTimer>

#include <fcntl.h>

namespace platform::linux_::screencast {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

constexpr uint kSourceMonitor = 1;
constexpr uint kCursorMetadata = 4;
constexpr uint kPersistUntilRevoked = 2;

QDBusMessage portalCall(const QString& method, const QList<QVariant>& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kScreenCast, method);
    call.setArguments(arguments);
    return call;
}

std::optional<uint> portalProperty(const char* name, std::chrono::milliseconds timeout) {
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get.setArguments({kScreenCast, QString::fromLatin1(name)});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, static_cast<int>(timeout.count()));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
    const QVariant value = reply.arguments().first().value<QDBusVariant>().variant();
    bool ok = false;
    const uint number = value.toUInt(&ok);
    return ok ? std::optional<uint>(number) : std::nullopt;
}

// (ii) inside a variant, as position and size come.
std::optional<std::pair<int, int>> intPair(const QVariant& value) {
    if (!value.canConvert<QDBusArgument>()) return std::nullopt;
    const QDBusArgument argument = value.value<QDBusArgument>();
    int first = 0, second = 0;
    argument.beginStructure();
    argument >> first >> second;
    argument.endStructure();
    return std::make_pair(first, second);
}

}  // namespace

std::vector<StreamPlacement> parseStreams(const QVariant& streams) {
    std::vector<StreamPlacement> placements;
    if (!streams.canConvert<QDBusArgument>()) return placements;
    const QDBusArgument argument = streams.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        uint node = 0;
        QVariantMap properties;
        argument.beginStructure();
        argument >> node >> properties;
        argument.endStructure();
        StreamPlacement placement;
        placement.node = node;
        if (auto position = intPair(properties.value(QStringLiteral("position")))) {
            placement.x = position->first;
            placement.y = position->second;
        }
        if (auto size = intPair(properties.value(QStringLiteral("size")))) {
            placement.width = size->first;
            placement.height = size->second;
        }
        placements.push_back(placement);
    }
    argument.endArray();
    return placements;
}

PortalSession::PortalSession(PortalTimeouts timeouts) : timeouts_(timeouts) {}

PortalSession::~PortalSession() {
    if (sessionHandle_.isEmpty()) return;
    const QDBusMessage close = QDBusMessage::createMethodCall(kService, sessionHandle_,
                                                              QStringLiteral("org.freedesktop.portal.Session"),
                                                              QStringLiteral("Close"));
    QDBusConnection::sessionBus().call(close, QDBus::Block, static_cast<int>(timeouts_.call.count()));
}

QString PortalSession::nextToken() { return QStringLiteral("magnifier%1").arg(++tokenCounter_); }

void PortalSession::onResponse(uint response, const QVariantMap& results) {
    answered_ = true;
    response_ = response;
    results_ = results;
    if (waiting_ != nullptr) waiting_->quit();
}

std::optional<QVariantMap> PortalSession::request(const QString& method, const QList<QVariant>& arguments,
                                                  QVariantMap options, std::chrono::milliseconds timeout,
                                                  const char* step, std::string& error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The portal names the request object after our bus name and the token, so the answer can
    // be listened for before the call is made and none is missed.
    const QString token = nextToken();
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString requestPath = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    options.insert(QStringLiteral("handle_token"), token);
    answered_ = false;
    if (!bus.connect(kService, requestPath, kRequest, QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap)))) {
        error = std::string("cannot listen for the screen-cast portal's answer to ") + step;
        return std::nullopt;
    }
    QList<QVariant> all = arguments;
    all.append(options);
    const QDBusMessage reply = bus.call(portalCall(method, all), QDBus::Block, static_cast<int>(timeouts_.call.count()));
    std::optional<QVariantMap> results;
    // Portals older than the handle_token option choose the path themselves and return it.
    QString answeredPath = requestPath;
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        const QString returned = reply.arguments().first().value<QDBusObjectPath>().path();
        if (!returned.isEmpty() && returned != requestPath) {
            answeredPath = returned;
            bus.connect(kService, answeredPath, kRequest, QStringLiteral("Response"), this,
                        SLOT(onResponse(uint, QVariantMap)));
        }
    }
    if (reply.type() != QDBusMessage::ReplyMessage) {
        error = std::string("the screen-cast portal refused ") + step + ": " + reply.errorMessage().toStdString();
    } else {
        QEventLoop wait;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &wait, &QEventLoop::quit);
        deadline.start(static_cast<int>(timeout.count()));
        waiting_ = &wait;
        if (!answered_) wait.exec();
        waiting_ = nullptr;
        if (!answered_) {
            error = std::string("the screen-cast portal did not answer ") + step + " in time";
        } else if (response_ == 1) {
            error = "screen sharing was cancelled";
        } else if (response_ != 0) {
            error = std::string("the screen-cast portal refused ") + step;
        } else {
            results = results_;
        }
    }
    for (const QString& path : {requestPath, answeredPath}) {
        bus.disconnect(kService, path, kRequest, QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    }
    return results;
}

std::optional<PortalStart> PortalSession::start(const std::string& restoreToken, std::string& error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        error = "no session D-Bus to reach the screen-cast portal";
        return std::nullopt;
    }
    const std::optional<uint> version = portalProperty("version", timeouts_.call);
    if (!version) {
        error = "no screen-cast portal on the session D-Bus";
        return std::nullopt;
    }
    const std::optional<uint> cursorModes = portalProperty("AvailableCursorModes", timeouts_.call);
    if (!cursorModes || (*cursorModes & kCursorMetadata) == 0) {
        error = "the screen-cast portal does not report the pointer position";
        return std::nullopt;
    }

    QVariantMap createOptions;
    createOptions.insert(QStringLiteral("session_handle_token"), nextToken());
    const auto created = request(QStringLiteral("CreateSession"), {}, createOptions, timeouts_.call,
                                 "the session", error);
    if (!created) return std::nullopt;
    sessionHandle_ = created->value(QStringLiteral("session_handle")).toString();
    if (sessionHandle_.isEmpty()) {
        error = "the screen-cast portal gave no session";
        return std::nullopt;
    }
    const QVariant session = QVariant::fromValue(QDBusObjectPath(sessionHandle_));

    QVariantMap sourceOptions;
    sourceOptions.insert(QStringLiteral("types"), kSourceMonitor);
    sourceOptions.insert(QStringLiteral("multiple"), true);
    sourceOptions.insert(QStringLiteral("cursor_mode"), kCursorMetadata);
    // Restore tokens and persistence came with version 4 of the portal.
    if (*version >= 4) {
        sourceOptions.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
        if (!restoreToken.empty()) sourceOptions.insert(QStringLiteral("restore_token"), QString::fromStdString(restoreToken));
    }
    if (!request(QStringLiteral("SelectSources"), {session}, sourceOptions, timeouts_.call, "the monitor choice", error)) {
        return std::nullopt;
    }

    const auto started = request(QStringLiteral("Start"), {session, QString()}, {}, timeouts_.dialog,
                                 "the screen sharing", error);
    if (!started) return std::nullopt;
    PortalStart result;
    result.streams = parseStreams(started->value(QStringLiteral("streams")));
    result.restoreToken = started->value(QStringLiteral("restore_token")).toString().toStdString();
    if (result.streams.empty()) {
        error = "the screen-cast portal shared no monitor";
        return std::nullopt;
    }

    const QDBusMessage opened = bus.call(portalCall(QStringLiteral("OpenPipeWireRemote"), {session, QVariantMap()}),
                                         QDBus::Block, static_cast<int>(timeouts_.call.count()));
    if (opened.type() != QDBusMessage::ReplyMessage || opened.arguments().isEmpty()) {
        error = "the screen-cast portal gave no PipeWire connection: " + opened.errorMessage().toStdString();
        return std::nullopt;
    }
    const auto descriptor = opened.arguments().first().value<QDBusUnixFileDescriptor>();
    // The message owns its descriptor; ours is a copy that outlives it.
    result.pipewire = posix::UniqueFd(descriptor.isValid() ? ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 3) : -1);
    if (!result.pipewire.valid()) {
        error = "the screen-cast portal gave no PipeWire connection";
        return std::nullopt;
    }
    return result;
}

}  // namespace platform::linux_::screencast
