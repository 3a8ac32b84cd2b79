#include "platform/linux/SessionEnd.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/Warn.h"

namespace platform::linux_ {
namespace {

constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};
// The handler's only state: where it writes. One program window, one instance.
volatile sig_atomic_t signalPipe = -1;

void onSignal(int signal) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    if (signalPipe >= 0) (void)!::write(signalPipe, &byte, 1);
    errno = saved;
}

}  // namespace

SessionEnd::SessionEnd(std::function<void(int)> endSession) : endSession_(std::move(endSession)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        base::warn(std::string("cannot watch for termination signals: ") + std::strerror(errno));
        return;
    }
    readEnd_ = posix::UniqueFd(fds[0]);
    writeEnd_ = posix::UniqueFd(fds[1]);
    signalPipe = writeEnd_.get();
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_.get(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drain(); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &previous_[i]);
}

SessionEnd::~SessionEnd() {
    if (!readEnd_.valid()) return;
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
    signalPipe = -1;
    // The notifier goes before the pipe it watches.
    notifier_.reset();
}

void SessionEnd::drain() {
    unsigned char signals[16];
    ssize_t got = 0;
    while ((got = ::read(readEnd_.get(), signals, sizeof signals)) > 0) {
        for (ssize_t i = 0; i < got; ++i) endSession_(signals[i]);
    }
}

}  // namespace platform::linux_
