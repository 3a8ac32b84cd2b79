#pragma once
// A screen-cast session with the desktop portal (org.freedesktop.portal.ScreenCast) on the
// session bus: the monitors the user shares, with the pointer as metadata, and the PipeWire
// connection they are streamed on. Each step waits a bounded time for the portal's answer, so a
// portal that does not answer cannot hold up the start for long.
#include <QEventLoop>
#include <QObject>
#include <QVariantMap>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/screencast/FrameCanvas.h"
#include "platform/posix/UniqueFd.h"

namespace platform::linux_::screencast {

struct PortalTimeouts {
    std::chrono::milliseconds call{10000};    // a step the portal answers by itself
    std::chrono::milliseconds dialog{120000};  // the share dialog, answered by the user
};

struct PortalStart {
    std::vector<StreamPlacement> streams;
    posix::UniqueFd pipewire;  // the PipeWire remote holding only the shared streams
    std::string restoreToken;  // for the next start; empty when the portal gave none
};

class PortalSession : public QObject {
    Q_OBJECT
public:
    explicit PortalSession(PortalTimeouts timeouts = {});
    ~PortalSession() override;  // closes the session, which ends the streams

    // Runs the whole exchange. On failure returns nothing and `error` says what went wrong, as
    // one line for the user.
    std::optional<PortalStart> start(const std::string& restoreToken, std::string& error);

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results);

private:
    // Calls a method that answers through a Request object and waits for its Response.
    // Returns the results on success; on failure sets `error`.
    std::optional<QVariantMap> request(const QString& method, const QList<QVariant>& arguments, QVariantMap options,
                                       std::chrono::milliseconds timeout, const char* step, std::string& error);
    QString nextToken();

    PortalTimeouts timeouts_;
    QString sessionHandle_;
    unsigned tokenCounter_ = 0;
    QEventLoop* waiting_ = nullptr;  // the wait for the current request's answer
    bool answered_ = false;
    uint response_ = 0;
    QVariantMap results_;
};

// The streams as the portal's Start describes them: a(ua{sv}) with "position" and "size".
std::vector<StreamPlacement> parseStreams(const QVariant& streams);

}  // namespace platform::linux_::screencast
