#include "platform/win32/Win32TickTimer.h"

#include <algorithm>

#include "platform/win32/Win32Api.h"

#include <mmsystem.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace platform::win32 {

namespace {

// A periodic, auto-reset timer that first fires one interval from now; null when refused.
HANDLE startWaitableTimer(DWORD flags, LONG period) {
    HANDLE timer = ::CreateWaitableTimerExW(nullptr, nullptr, flags, TIMER_MODIFY_STATE | SYNCHRONIZE);
    if (timer == nullptr) return nullptr;
    LARGE_INTEGER due{};
    due.QuadPart = -static_cast<LONGLONG>(period) * 10000;  // relative, in 100 ns
    if (::SetWaitableTimer(timer, &due, period, nullptr, nullptr, FALSE)) return timer;
    ::CloseHandle(timer);
    return nullptr;
}

}  // namespace

TickTimer::TickTimer(int intervalMs, TickSource source) {
    const LONG period = std::max(1, intervalMs);
    // Refused by systems before Windows 10 1803 (and by Wine): they take the fallback.
    if (source == TickSource::Best) timer_ = startWaitableTimer(CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, period);
    if (timer_ != nullptr) return;
    periodLowered_ = ::timeBeginPeriod(1) == TIMERR_NOERROR;
    if (source == TickSource::WaitableTimer) timer_ = startWaitableTimer(0, period);
}

TickTimer::~TickTimer() {
    stop();
    if (periodLowered_) ::timeEndPeriod(1);
}

void TickTimer::stop() {
    if (timer_ == nullptr) return;
    ::CancelWaitableTimer(timer_);
    ::CloseHandle(timer_);
    timer_ = nullptr;
}

}  // namespace platform::win32
