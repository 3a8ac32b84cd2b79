#include "platform/linux/screencast/PortalSession.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusPendingReply>

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

const QString kSession = QStringLiteral("org.freedesktop.portal.Session");

QDBusMessage portalCall(const QString& method, const QList<QVariant>& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kScreenCast, method);
    call.setArguments(arguments);
    return call;
}

// Calls `then` with the reply of an asynchronous call, from the event loop; the watcher goes
// with `owner`, so no reply reaches an owner that is gone.
void whenAnswered(QObject* owner, const QDBusMessage& message, std::chrono::milliseconds timeout,
                  std::function<void(const QDBusMessage&)> then) {
    const QDBusPendingCall call = QDBusConnection::sessionBus().asyncCall(message, static_cast<int>(timeout.count()));
    auto* watcher = new QDBusPendingCallWatcher(call, owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner, [then = std::move(then)](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        then(w->reply());
    });
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

PortalSession::PortalSession(std::chrono::milliseconds callTimeout) : callTimeout_(callTimeout) {
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        finish(PortalOutcome::failed, std::string("the screen-cast portal did not answer ") + step_ + " in time");
    });
}

PortalSession::~PortalSession() {
    // Sent without waiting for the answers: closing must not hold up the program's end. A
    // request still open (the share dialog) is closed first, which takes the dialog away.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (answer_) {
        bus.send(QDBusMessage::createMethodCall(kService, requestPath_, kRequest, QStringLiteral("Close")));
    } else if (!sessionHandle_.isEmpty()) {
        bus.send(QDBusMessage::createMethodCall(kService, sessionHandle_, kSession, QStringLiteral("Close")));
    }
}

QString PortalSession::nextToken() { return QStringLiteral("magnifier%1").arg(++tokenCounter_); }

void PortalSession::start(const std::string& restoreToken, Done done, std::function<std::string()> parentWindow) {
    restoreToken_ = restoreToken;
    done_ = std::move(done);
    parentWindow_ = std::move(parentWindow);
    if (!QDBusConnection::sessionBus().isConnected()) {
        finish(PortalOutcome::unavailable, "no session D-Bus to reach the screen-cast portal");
        return;
    }
    readProperties();
}

void PortalSession::finish(PortalOutcome outcome, const std::string& error, PortalStart start) {
    if (finished_) return;
    finished_ = true;
    deadline_.stop();
    answer_ = nullptr;
    result_ = std::move(start);
    // From the event loop: whoever is told may end this session at once.
    QTimer::singleShot(0, this, [this, outcome, error] { done_(outcome, std::move(result_), error); });
}

void PortalSession::readProperties() {
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("GetAll"));
    get.setArguments({kScreenCast});
    whenAnswered(this, get, callTimeout_, [this](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            finish(PortalOutcome::unavailable, "no screen-cast portal on the session D-Bus");
            return;
        }
        const QVariantMap properties = qdbus_cast<QVariantMap>(reply.arguments().first());
        version_ = properties.value(QStringLiteral("version")).toUInt();
        if ((properties.value(QStringLiteral("AvailableCursorModes")).toUInt() & kCursorMetadata) == 0) {
            finish(PortalOutcome::unavailable, "the screen-cast portal does not report the pointer position");
            return;
        }
        createSession();
    });
}

void PortalSession::onResponse(uint response, const QVariantMap& results) {
    if (!answer_) return;
    deadline_.stop();
    QDBusConnection::sessionBus().disconnect(kService, requestPath_, kRequest, QStringLiteral("Response"), this,
                                             SLOT(onResponse(uint, QVariantMap)));
    const Answer answer = std::exchange(answer_, nullptr);
    if (response == 0) {
        answer(results);
    } else if (response == 1) {
        finish(PortalOutcome::refused, "screen sharing was cancelled");
    } else {
        finish(std::string_view(step_) == "the screen sharing" ? PortalOutcome::refused : PortalOutcome::failed,
               std::string("the screen-cast portal refused ") + step_);
    }
}

void PortalSession::request(const QString& method, QList<QVariant> arguments, QVariantMap options, bool limited,
                            const char* step, Answer answer) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The portal names the request object after our bus name and the token, so the answer can
    // be listened for before the call is made and none is missed.
    const QString token = nextToken();
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    requestPath_ = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    options.insert(QStringLiteral("handle_token"), token);
    step_ = step;
    answer_ = std::move(answer);
    if (!bus.connect(kService, requestPath_, kRequest, QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap)))) {
        finish(PortalOutcome::failed, std::string("cannot listen for the screen-cast portal's answer to ") + step);
        return;
    }
    if (limited) {
        deadline_.start(static_cast<int>(callTimeout_.count()));
    } else {
        deadline_.stop();
    }
    arguments.append(options);
    whenAnswered(this, portalCall(method, arguments), callTimeout_, [this, step](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ReplyMessage) {
            finish(PortalOutcome::failed,
                   std::string("the screen-cast portal refused ") + step + ": " + reply.errorMessage().toStdString());
            return;
        }
        // Portals older than the handle_token option choose the path themselves and return it.
        const QString returned = reply.arguments().isEmpty() ? QString() : reply.arguments().first().value<QDBusObjectPath>().path();
        if (!returned.isEmpty() && returned != requestPath_ && answer_) {
            QDBusConnection bus = QDBusConnection::sessionBus();
            bus.disconnect(kService, requestPath_, kRequest, QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
            requestPath_ = returned;
            bus.connect(kService, requestPath_, kRequest, QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
        }
    });
}

void PortalSession::createSession() {
    QVariantMap options;
    options.insert(QStringLiteral("session_handle_token"), nextToken());
    request(QStringLiteral("CreateSession"), {}, options, true, "the session", [this](const QVariantMap& results) {
        sessionHandle_ = results.value(QStringLiteral("session_handle")).toString();
        if (sessionHandle_.isEmpty()) {
            finish(PortalOutcome::failed, "the screen-cast portal gave no session");
            return;
        }
        QDBusConnection::sessionBus().connect(kService, sessionHandle_, kSession, QStringLiteral("Closed"), this,
                                              SLOT(onSessionClosed(QVariantMap)));
        selectSources();
    });
}

void PortalSession::selectSources() {
    QVariantMap options;
    options.insert(QStringLiteral("types"), kSourceMonitor);
    options.insert(QStringLiteral("multiple"), true);
    options.insert(QStringLiteral("cursor_mode"), kCursorMetadata);
    // Restore tokens and persistence came with version 4 of the portal.
    if (version_ >= 4) {
        options.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
        if (!restoreToken_.empty()) options.insert(QStringLiteral("restore_token"), QString::fromStdString(restoreToken_));
    }
    request(QStringLiteral("SelectSources"), {QVariant::fromValue(QDBusObjectPath(sessionHandle_))}, options, true,
            "the monitor choice", [this](const QVariantMap&) { startSharing(); });
}

void PortalSession::startSharing() {
    // The dialog waits for the user: no time limit.
    const QString parent = parentWindow_ ? QString::fromStdString(parentWindow_()) : QString();
    request(QStringLiteral("Start"), {QVariant::fromValue(QDBusObjectPath(sessionHandle_)), parent}, {}, false,
            "the screen sharing", [this](const QVariantMap& results) {
                result_.streams = parseStreams(results.value(QStringLiteral("streams")));
                result_.restoreToken = results.value(QStringLiteral("restore_token")).toString().toStdString();
                if (result_.streams.empty()) {
                    finish(PortalOutcome::failed, "the screen-cast portal shared no monitor");
                    return;
                }
                openPipeWire();
            });
}

void PortalSession::openPipeWire() {
    step_ = "the PipeWire connection";
    deadline_.start(static_cast<int>(callTimeout_.count()));
    whenAnswered(this, portalCall(QStringLiteral("OpenPipeWireRemote"), {QVariant::fromValue(QDBusObjectPath(sessionHandle_)), QVariantMap()}),
                 callTimeout_, [this](const QDBusMessage& reply) {
                     if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
                         finish(PortalOutcome::failed,
                                "the screen-cast portal gave no PipeWire connection: " + reply.errorMessage().toStdString());
                         return;
                     }
                     const auto descriptor = reply.arguments().first().value<QDBusUnixFileDescriptor>();
                     // The message owns its descriptor; ours is a copy that outlives it.
                     PortalStart start = std::move(result_);
                     start.pipewire = posix::UniqueFd(
                         descriptor.isValid() ? ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 3) : -1);
                     if (!start.pipewire.valid()) {
                         finish(PortalOutcome::failed, "the screen-cast portal gave no PipeWire connection");
                         return;
                     }
                     finish(PortalOutcome::started, {}, std::move(start));
                 });
}

void PortalSession::onSessionClosed(const QVariantMap&) {
    // The portal ended it: nothing left to close.
    sessionHandle_.clear();
    if (!finished_) {
        finish(PortalOutcome::failed, "the screen-cast portal closed the session");
    } else if (closed_) {
        closed_();
    }
}

}  // namespace platform::linux_::screencast
