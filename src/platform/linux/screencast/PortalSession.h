#pragma once
// A screen-cast session with the desktop portal (org.freedesktop.portal.ScreenCast) on the
// session bus: the monitors the user shares, with the pointer as metadata, and the PipeWire
// connection they are streamed on.
//
// The conversation runs in the event loop, one asynchronous step after another, so the window
// works meanwhile. The steps the portal answers by itself have a time limit; the share dialog
// has none, as the user may take their time.
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/linux/screencast/FrameCanvas.h"
#include "platform/posix/UniqueFd.h"

namespace platform::linux_::screencast {

struct PortalStart {
    std::vector<StreamPlacement> streams;
    posix::UniqueFd pipewire;  // the PipeWire remote holding only the shared streams
    std::string restoreToken;  // for the next start; empty when the portal gave none
};

enum class PortalOutcome {
    started,
    refused,      // the user cancelled the dialog or said no
    unavailable,  // no portal, or none that can report the pointer
    failed,       // a step went wrong; trying again later may help
};

class PortalSession : public QObject {
    Q_OBJECT
public:
    // Told once how the start went; on success `start` holds the streams.
    using Done = std::function<void(PortalOutcome outcome, PortalStart start, const std::string& error)>;

    explicit PortalSession(std::chrono::milliseconds callTimeout = std::chrono::milliseconds(10000));
    ~PortalSession() override;  // closes the session, which ends the streams

    // Starts the conversation; `done` is called from the event loop, never from inside start().
    // `parentWindow` names the window the share dialog belongs to ("x11:XID"), asked for when
    // the dialog is: the desktop then shows the dialog over that window, and whose it is.
    void start(const std::string& restoreToken, Done done, std::function<std::string()> parentWindow = {});
    // Called once if the portal closes the session after it started.
    void onClosed(std::function<void()> closed) { closed_ = std::move(closed); }

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results);
    void onSessionClosed(const QVariantMap& details);

private:
    using Answer = std::function<void(const QVariantMap& results)>;
    void readProperties();
    void createSession();
    void selectSources();
    void startSharing();
    void openPipeWire();
    // Calls a method that answers through a Request object; `answer` gets the results of a
    // successful Response. `limited`: the step has the call time limit.
    void request(const QString& method, QList<QVariant> arguments, QVariantMap options, bool limited,
                 const char* step, Answer answer);
    void finish(PortalOutcome outcome, const std::string& error, PortalStart start = {});
    QString nextToken();

    std::chrono::milliseconds callTimeout_;
    std::string restoreToken_;
    Done done_;
    std::function<std::string()> parentWindow_;
    std::function<void()> closed_;
    bool finished_ = false;
    uint version_ = 0;
    QString sessionHandle_;
    unsigned tokenCounter_ = 0;
    // The request being waited for.
    QString requestPath_;
    const char* step_ = "";
    Answer answer_;
    QTimer deadline_;
    PortalStart result_;
};

// The streams as the portal's Start describes them: a(ua{sv}) with "position" and "size".
std::vector<StreamPlacement> parseStreams(const QVariant& streams);

}  // namespace platform::linux_::screencast
