// Starts the magnifier: its one window, then the message loop until the window is closed.
#include "app/FrmMain.h"
#include "platform/NativePlatform.h"

int main(int argc, char** argv) {
    auto native = platform::openNativePlatform(argc, argv);
    if (!native) return 2;  // no desktop to magnify; the reason is on stderr
    const platform::ServicesScope services(native->services());
    app::FrmMain window(native->toolkit());
    window.start();
    return native->toolkit().run();
}
