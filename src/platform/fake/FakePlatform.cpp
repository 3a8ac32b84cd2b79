#include "platform/fake/FakePlatform.h"

namespace platform::fake {

FakePlatform::FakePlatform(int screenWidth, int screenHeight)
    : screen(screenWidth, screenHeight),
      graphics(screen),
      windows(graphics, kProcessId),
      toolkit(screen, windows, graphics, kProcessId),
      scope_(Services{&windows, &graphics, &registry, &shell, &menus, &toolkit, &clipboard, &dialogs, &screenStatus}) {
    const Rect whole{0, 0, screenWidth, screenHeight};
    windows.setMonitors({MonitorInfo{whole, whole, true}});
}

}  // namespace platform::fake
