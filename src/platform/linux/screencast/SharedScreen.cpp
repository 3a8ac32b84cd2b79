#include "platform/linux/screencast/SharedScreen.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

#include "base/DebugSwitches.h"
#include "base/Warn.h"
#include "platform/linux/screencast/RestoreToken.h"

namespace platform::linux_::screencast {
namespace {

const std::string kX11Only = "; reading the X11 screen instead, which shows only X11 windows";

bool overlaps(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

SharedScreen::SharedScreen(Registry& registry, soft::ScreenSource& x11, MonitorList monitors, ParentWindow parent,
                           SharingTiming timing)
    : registry_(registry),
      x11_(x11),
      monitors_(std::move(monitors)),
      parent_(std::move(parent)),
      timing_(timing),
      retryDelay_(timing.firstRetry),
      news_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    checkTimer_.setInterval(static_cast<int>(timing_.check.count()));
    connect(&checkTimer_, &QTimer::timeout, this, [this] { check(); });
    retryTimer_.setSingleShot(true);
    connect(&retryTimer_, &QTimer::timeout, this, [this] { ask(); });
}

// The streams end before their session closes.
SharedScreen::~SharedScreen() { capture_.reset(); }

void SharedScreen::start() { ask(); }

void SharedScreen::setState(State state) {
    if (state == state_) return;
    state_ = state;
    tell();
}

void SharedScreen::tell() {
    if (!news_.valid()) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(news_.get(), &one, sizeof one);
}

void SharedScreen::ask() {
    setState(State::asking);
    session_ = std::make_unique<PortalSession>(timing_.call);
    session_->start(loadRestoreToken(registry_), [this](PortalOutcome outcome, PortalStart start, const std::string& error) {
        answered(outcome, std::move(start), error);
    }, parent_);
}

void SharedScreen::dropSession() {
    // Its own callbacks may be on the stack: it goes once they have returned.
    if (session_) session_.release()->deleteLater();
}

void SharedScreen::answered(PortalOutcome outcome, PortalStart start, const std::string& error) {
    if (outcome != PortalOutcome::started) {
        dropSession();
        if (outcome == PortalOutcome::refused) {
            // The user's answer stands: nothing is asked again until the next start.
            setState(State::refused);
            base::warn(error + kX11Only);
        } else if (outcome == PortalOutcome::unavailable && !shared_) {
            setState(State::unavailable);
            base::warn(error + kX11Only);
        } else {
            if (!std::exchange(failureSaid_, true)) base::warn(error + kX11Only);
            retryLater();
        }
        return;
    }
    // A token is good for one start only: the next start needs the new one.
    if (!start.restoreToken.empty()) saveRestoreToken(registry_, start.restoreToken);
    session_->onClosed([this] { ended("the screen-cast portal closed the session"); });
    streams_ = start.streams;
    std::string failure;
    capture_ = PipeWireCapture::open(std::move(start.pipewire), start.streams, news_.get(), failure);
    if (!capture_) {
        ended(failure);
        return;
    }
    checkCoverage(streams_);
    setState(State::connecting);
    connectedAt_ = std::chrono::steady_clock::now();
    checkTimer_.start();
}

void SharedScreen::checkCoverage(const std::vector<StreamPlacement>& streams) {
    const std::vector<Rect> monitors = monitors_ ? monitors_() : std::vector<Rect>{};
    // The portal places streams in the desktop's layout pixels, as Xwayland places its monitors.
    const auto shared = std::count_if(monitors.begin(), monitors.end(), [&](const Rect& monitor) {
        return std::any_of(streams.begin(), streams.end(), [&](const StreamPlacement& s) {
            return overlaps(monitor, Rect{s.x, s.y, s.x + s.width, s.y + s.height});
        });
    });
    uncovered_ = shared < static_cast<std::ptrdiff_t>(monitors.size());
    if (uncovered_ && !std::exchange(coverageSaid_, true)) {
        base::warn("the screen sharing covers " + std::to_string(shared) + " of the " + std::to_string(monitors.size()) +
                   " monitors; the view shows black on the others");
    }
}

void SharedScreen::describeStreams() {
    const std::vector<Rect> areas = capture_->areas();
    for (std::size_t i = 0; i < areas.size() && i < streams_.size(); ++i) {
        const StreamPlacement& s = streams_[i];
        const Rect& a = areas[i];
        base::warn("shared monitor " + std::to_string(i + 1) + ": " + std::to_string(s.width) + "x" + std::to_string(s.height) +
                   "+" + std::to_string(s.x) + "+" + std::to_string(s.y) + " on the desktop, frames placed at " +
                   std::to_string(a.right - a.left) + "x" + std::to_string(a.bottom - a.top) + "+" + std::to_string(a.left) +
                   "+" + std::to_string(a.top));
    }
}

void SharedScreen::check() {
    if (!capture_) return;
    const CaptureHealth health = capture_->health();
    if (!health.ended.empty()) {
        ended(health.ended);
        return;
    }
    if (state_ == State::connecting) {
        if (health.framed) {
            setState(State::live);
            switched_ = true;
            retryDelay_ = timing_.firstRetry;
            if (std::exchange(failureSaid_, false)) base::warn(shared_ ? "the screen is shared again" : "the screen is shared now");
            if (base::debugSwitches().frameStats) describeStreams();
            shared_ = true;
        } else if (!health.streaming && std::chrono::steady_clock::now() - connectedAt_ >= timing_.firstFrame) {
            // A stream that runs but sends nothing shows a monitor where nothing changed yet;
            // one that never started will not.
            ended("no picture arrived from the shared screen");
        }
    }
}

void SharedScreen::ended(const std::string& why) {
    if (!std::exchange(failureSaid_, true)) {
        base::warn("the screen sharing ended (" + why + "); showing the X11 screen until it is shared again");
    }
    if (live()) switched_ = true;
    checkTimer_.stop();
    capture_.reset();
    dropSession();
    retryLater();
}

void SharedScreen::retryLater() {
    setState(State::waiting);
    retryTimer_.start(static_cast<int>(retryDelay_.count()));
    retryDelay_ = std::min(retryDelay_ * 2, timing_.longestRetry);
}

std::optional<Point> SharedScreen::pointer() {
    if (!live()) return std::nullopt;
    return capture_->pointer();
}

void SharedScreen::refresh() {
    if (!live()) {
        x11_.refresh();
        return;
    }
    size_ = capture_->size();
    // A hidden pointer also leaves the streams' cursor metadata empty: only with a monitor left
    // out of the sharing can the pointer be elsewhere.
    pointerElsewhere_ = uncovered_ && capture_->health().pointerElsewhere;
}

int SharedScreen::width() const { return live() ? size_.x : x11_.width(); }
int SharedScreen::height() const { return live() ? size_.y : x11_.height(); }

void SharedScreen::read(int x, int y, const soft::Surface& to) {
    if (!live()) {
        x11_.read(x, y, to);
    } else if (pointerElsewhere_) {
        // The pointer is on a monitor nobody shared: its last picture elsewhere would mislead.
        for (int row = 0; row < to.height; ++row) std::fill_n(to.row(row), to.width, 0u);
    } else {
        capture_->read(x, y, to);
    }
}

std::optional<soft::ConstSurface> SharedScreen::view(int x, int y, int width, int height) {
    return live() ? std::nullopt : x11_.view(x, y, width, height);
}

soft::ScreenChange SharedScreen::changedSinceLastCheck(const Rect& area) {
    if (std::exchange(switched_, false)) {
        if (!live()) x11_.changedSinceLastCheck(area);  // starts the X11 screen's new period
        return soft::ScreenChange::unknown;
    }
    if (!live()) return x11_.changedSinceLastCheck(area);
    // After a new frame the pixels the view reads are compared, since the compositor sends a
    // frame for a change anywhere on the monitor.
    return capture_->takeChanged() ? soft::ScreenChange::unknown : soft::ScreenChange::none;
}

ScreenNotice SharedScreen::notice() {
    switch (state_) {
        case State::asking: return shared_ ? ScreenNotice::sharingEnded : ScreenNotice::waitingForPermission;
        // Granted, and the first picture on its way: the X11 view stays until it comes.
        case State::connecting: return shared_ ? ScreenNotice::sharingEnded : ScreenNotice::none;
        case State::waiting: return shared_ ? ScreenNotice::sharingEnded : ScreenNotice::sharingUnavailable;
        case State::live: return pointerElsewhere_ ? ScreenNotice::monitorNotShared : ScreenNotice::none;
        case State::refused: return ScreenNotice::sharingRefused;
        case State::unavailable: return ScreenNotice::sharingUnavailable;
    }
    return ScreenNotice::none;
}

}  // namespace platform::linux_::screencast
