#pragma once
// Controls the z-order and the extended window style of one form, its client.
#include <cstdint>

#include "platform/FormToolkit.h"
#include "platform/Types.h"

namespace winsvc {

class clsStyle {
public:
    // Makes the form the client (nullptr for none); its window handle is copied now.
    void setClient(const platform::Form* obj);
    const platform::Form* Client() const { return mClient; }

    // Puts the client window into the topmost group (any non-zero value) or out of it, keeping its
    // position and size; entering it also activates the window and raises it.
    void setTopMost(std::int16_t value);
    // Whether the client window's live extended style has WS_EX_TOPMOST.
    bool TopMost() const;

private:
    // Replaces the whole extended style unless `newStyle` is 0, then reads it back.
    std::int32_t exStyle(std::int32_t newStyle) const;

    const platform::Form* mClient = nullptr;
    platform::Handle mHwnd = 0;
};

}  // namespace winsvc
