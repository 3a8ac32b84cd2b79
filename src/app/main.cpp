// Starts the magnifier: its one window, then the message loop until the window is closed.
#include "app/CommandLine.h"
#include "app/FrmMain.h"
#include "platform/CommandLineAnswer.h"
#include "platform/NativePlatform.h"

int main(int argc, char** argv) {
    // --help, --version and bad arguments are answered before any window or display is touched.
    if (const app::CommandLineAnswer answer = app::parseCommandLine(argc, argv);
        answer.request != app::CommandLineRequest::Run) {
        const bool delivered =
            platform::showCommandLineAnswer(answer.text, answer.request == app::CommandLineRequest::Error);
        // An answer that never reached its reader is a failure, whatever was asked.
        return delivered || answer.exitStatus != 0 ? answer.exitStatus : 1;
    }
    auto native = platform::openNativePlatform(argc, argv);
    if (!native) return 2;  // no desktop to magnify; the reason is on stderr
    const platform::ServicesScope services(native->services());
    app::FrmMain window(native->toolkit());
    window.start();
    return native->toolkit().run();
}
