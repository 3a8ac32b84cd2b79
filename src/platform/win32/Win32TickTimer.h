#pragma once
// The form's tick, finer than a window timer's: SetTimer rounds its interval up to the system
// timer's period (15.6 ms by default), so a 10 ms timer really ticks about 64 times a second.
// A high-resolution waitable timer keeps the interval; the toolkit's message loop waits on it
// beside the message queue. Where the system has no high-resolution timers, the system timer's
// period is lowered to 1 ms for the timer's life instead, and the window timer keeps the
// interval by itself.
namespace platform::win32 {

enum class TickSource {
    Best,           // the high-resolution timer where there is one, else the window timer
    WaitableTimer,  // a plain waitable timer with the finer system period (for systems, such as
                    // Wine, that have no high-resolution timers, to run the same loop)
    WindowTimer,    // the window timer alone, with the finer system period
};

class TickTimer {
public:
    explicit TickTimer(int intervalMs, TickSource source = TickSource::Best);
    ~TickTimer();
    TickTimer(const TickTimer&) = delete;
    TickTimer& operator=(const TickTimer&) = delete;

    // The waitable timer, signalled once per interval however many intervals passed unseen;
    // null when the window timer alone ticks.
    void* handle() const { return timer_; }
    bool running() const { return timer_ != nullptr; }
    // No more signals (the form is failing or going); the fallback's period is kept until the end.
    void stop();

private:
    void* timer_ = nullptr;
    bool periodLowered_ = false;
};

}  // namespace platform::win32
