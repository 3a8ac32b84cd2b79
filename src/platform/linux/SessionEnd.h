#pragma once
// Ends the program as closing its window does when the session ends it: SIGTERM (logout,
// shutdown, `kill`), SIGINT (Ctrl+C in a terminal) and SIGHUP (the terminal or session went
// away) each ask every top-level window to close, so the unload handler saves the settings and
// the program exits normally. The handler only writes to a pipe; the message loop does the rest.
#include <QSocketNotifier>

#include <csignal>
#include <functional>
#include <memory>

#include "platform/posix/UniqueFd.h"

namespace platform::linux_ {

class SessionEnd {
public:
    // `endSession` runs on the message loop once for every signal received.
    explicit SessionEnd(std::function<void(int signal)> endSession);
    ~SessionEnd();
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

private:
    void drain();

    std::function<void(int)> endSession_;
    posix::UniqueFd readEnd_;
    posix::UniqueFd writeEnd_;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previous_[3] = {};
};

}  // namespace platform::linux_
