#include "winsvc/clsStyle.h"

#include "platform/Services.h"

namespace winsvc {

void clsStyle::setClient(const platform::Form* obj) {
    mClient = obj;
    mHwnd = mClient == nullptr ? 0 : mClient->hWnd();
}

void clsStyle::setTopMost(std::int16_t value) {
    platform::windows().SetWindowPos(mHwnd, value != 0 ? platform::HWND_TOPMOST : platform::HWND_NOTOPMOST, 0, 0, 0,
                                     0, platform::SWP_NOMOVE | platform::SWP_NOSIZE);
}

bool clsStyle::TopMost() const { return (exStyle(0) & platform::WS_EX_TOPMOST) != 0; }

std::int32_t clsStyle::exStyle(std::int32_t newStyle) const {
    auto& windows = platform::windows();
    if (newStyle != 0) windows.SetWindowLongPtr(mHwnd, platform::GWL_EXSTYLE, newStyle);
    return static_cast<std::int32_t>(windows.GetWindowLongPtr(mHwnd, platform::GWL_EXSTYLE));
}

}  // namespace winsvc
