#pragma once
// The screen of a Wayland session, as the source of the desktop's device context: the monitors
// the user shares through the screen-cast portal, and meanwhile the X11 screen, which on
// Wayland holds only the X11 windows.
//
// The window works from the start: the portal is asked in the background, and the view switches
// to the shared monitors once their first picture arrives. A sharing that ends (the user stops
// it, the desktop's portal or PipeWire goes away) is said once on stderr, the view falls back to
// the X11 screen, and the sharing is asked for again with the stored restore token, which brings
// it back without a dialog while the desktop still honours it. Throughout, the status says what
// the user should know.
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/ScreenStatus.h"
#include "platform/linux/screencast/PipeWireCapture.h"
#include "platform/linux/screencast/PortalSession.h"
#include "platform/posix/UniqueFd.h"
#include "platform/soft/ScreenSource.h"

namespace platform::linux_::screencast {

struct SharingTiming {
    std::chrono::milliseconds call{10000};        // a step the portal answers by itself
    std::chrono::milliseconds firstFrame{10000};  // a started sharing without a picture by then has failed
    std::chrono::milliseconds firstRetry{1000};   // the wait before asking again, doubled after each failure
    std::chrono::milliseconds longestRetry{8000};
    std::chrono::milliseconds check{100};         // how often a running sharing is looked after
};

class SharedScreen : public QObject, public soft::ScreenSource, public ScreenStatus {
public:
    // The monitors the X server knows, in root coordinates.
    using MonitorList = std::function<std::vector<Rect>()>;

    // The window the share dialog belongs to, as the portal names windows ("x11:XID"); empty
    // while there is none.
    using ParentWindow = std::function<std::string()>;

    SharedScreen(Registry& registry, soft::ScreenSource& x11, MonitorList monitors, ParentWindow parent,
                 SharingTiming timing = {});
    ~SharedScreen() override;

    // Asks the portal for the screen; the answer comes through the event loop.
    void start();
    // The pointer as the shared monitors report it; nothing while they are not shown, and the
    // X server's pointer serves.
    std::optional<Point> pointer();

    void refresh() override;
    int width() const override;
    int height() const override;
    void read(int x, int y, const soft::Surface& to) override;
    std::optional<soft::ConstSurface> view(int x, int y, int width, int height) override;
    soft::ScreenChange changedSinceLastCheck(const Rect& area) override;
    std::uint32_t toRgb(std::uint32_t pixel) const override { return live() ? pixel : x11_.toRgb(pixel); }
    std::uint32_t fromRgb(std::uint32_t rgb) const override { return live() ? rgb : x11_.fromRgb(rgb); }
    int rasterCaps() const override { return live() ? 0 : x11_.rasterCaps(); }
    int paletteSize() const override { return live() ? 0 : x11_.paletteSize(); }
    unsigned systemPalette(unsigned start, unsigned count, PaletteEntry* entries) const override {
        return live() ? 0 : x11_.systemPalette(start, count, entries);
    }

    ScreenNotice notice() override;

    // Readable (an eventfd) when the shared screen has news for the view: a frame, a pointer
    // move, a change of state. While the shared monitors are shown, a window may sleep until then.
    int newsDescriptor() const { return news_.get(); }
    bool showsSharedScreen() const { return live(); }

private:
    enum class State { asking, connecting, live, refused, unavailable, waiting };

    bool live() const { return state_ == State::live; }
    void ask();
    void answered(PortalOutcome outcome, PortalStart start, const std::string& error);
    void check();
    void ended(const std::string& why);
    void retryLater();
    void dropSession();
    void setState(State state);
    void tell();
    // Notes whether the streams leave any of the X server's monitors out; says so once.
    void checkCoverage(const std::vector<StreamPlacement>& streams);
    // With MAGNIFIER_STATS set: where each shared monitor's frames are placed.
    void describeStreams();

    Registry& registry_;
    soft::ScreenSource& x11_;
    MonitorList monitors_;
    ParentWindow parent_;
    SharingTiming timing_;
    State state_ = State::asking;
    bool shared_ = false;       // the view has shown the shared monitors at least once
    bool failureSaid_ = false;  // a failure or end was said on stderr since the last success
    bool coverageSaid_ = false;
    bool uncovered_ = false;  // some monitor is not shared
    std::chrono::milliseconds retryDelay_;
    std::chrono::steady_clock::time_point connectedAt_;
    std::unique_ptr<PortalSession> session_;
    std::unique_ptr<PipeWireCapture> capture_;
    std::vector<StreamPlacement> streams_;  // as the portal placed them
    Point size_{};
    bool pointerElsewhere_ = false;
    bool switched_ = false;  // the next change check must not trust either source's news
    posix::UniqueFd news_;
    QTimer checkTimer_;
    QTimer retryTimer_;
};

}  // namespace platform::linux_::screencast
