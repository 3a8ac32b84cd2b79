#pragma once
// Owners for the device contexts and graphics objects a capture obtains, so that each is given
// back on every path out of the capture, including an exception.
#include "platform/Services.h"

namespace capture {

class WindowDC {
public:
    WindowDC(platform::Handle window, bool client)
        : mWindow(window),
          mHdc(client ? platform::windows().GetDC(window) : platform::windows().GetWindowDC(window)) {}
    ~WindowDC() { platform::windows().ReleaseDC(mWindow, mHdc); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    platform::Handle get() const { return mHdc; }

private:
    platform::Handle mWindow;
    platform::Handle mHdc;
};

class MemoryDC {
public:
    explicit MemoryDC(platform::Handle compatibleWith)
        : mHdc(platform::graphics().CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() { platform::graphics().DeleteDC(mHdc); }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    platform::Handle get() const { return mHdc; }

private:
    platform::Handle mHdc;
};

// A bitmap or palette, deleted unless released to a new owner.
class GdiObject {
public:
    GdiObject() = default;
    ~GdiObject() { reset(0); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    void reset(platform::Handle object) {
        if (mObject != 0) platform::graphics().DeleteObject(mObject);
        mObject = object;
    }
    platform::Handle release() {
        const platform::Handle object = mObject;
        mObject = 0;
        return object;
    }
    platform::Handle get() const { return mObject; }

private:
    platform::Handle mObject = 0;
};

}  // namespace capture
