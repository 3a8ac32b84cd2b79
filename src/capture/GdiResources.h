#pragma once
// Owners for the device contexts and graphics objects a capture obtains, so that each is given
// back on every path out of the capture, including an exception.
#include "platform/Services.h"

namespace capture {

class WindowDC {
public:
    WindowDC(platform::Handle window, bool client)
        : window_(window),
          hdc_(client ? platform::windows().GetDC(window) : platform::windows().GetWindowDC(window)) {}
    ~WindowDC() { platform::windows().ReleaseDC(window_, hdc_); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    platform::Handle get() const { return hdc_; }

private:
    platform::Handle window_;
    platform::Handle hdc_;
};

class MemoryDC {
public:
    explicit MemoryDC(platform::Handle compatibleWith)
        : hdc_(platform::graphics().CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() { platform::graphics().DeleteDC(hdc_); }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    platform::Handle get() const { return hdc_; }

private:
    platform::Handle hdc_;
};

// A bitmap or palette, deleted unless released to a new owner.
class GdiObject {
public:
    GdiObject() = default;
    ~GdiObject() { reset(0); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    void reset(platform::Handle object) {
        if (object_ != 0) platform::graphics().DeleteObject(object_);
        object_ = object;
    }
    platform::Handle release() {
        const platform::Handle object = object_;
        object_ = 0;
        return object;
    }
    platform::Handle get() const { return object_; }

private:
    platform::Handle object_ = 0;
};

}  // namespace capture
