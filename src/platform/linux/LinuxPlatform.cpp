// The Linux build's platform: Qt Widgets for the window, X11 for the screen and the window
// manager, a text file for the registry.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/NativePlatform.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/X11Changes.h"
#include "platform/linux/QtForms.h"
#include "platform/linux/QtMenus.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11Screen.h"
#include "platform/linux/X11WindowSystem.h"
#include "platform/linux/registry/FileRegistry.h"
#include "platform/soft/SoftGraphics.h"

namespace platform {
namespace {

// An X error on the program's own connection is reported, not fatal: a window that went away
// between two requests is no reason to end the magnifier.
int reportXError(Display* display, XErrorEvent* error) {
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "magnifier: X error: %s (request %d)\n", text, error->request_code);
    return 0;
}

void prepareQtEnvironment() {
    // The magnifier works in device pixels: no toolkit scaling of the window or its contents.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");
    // The screen is read through X11, so the window lives there too (Xwayland on Wayland).
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Qt's own event dispatcher: lighter than GLib's for a loop woken a hundred times a second.
    qputenv("QT_NO_GLIB", "1");
}

class LinuxPlatform : public NativePlatform {
public:
    LinuxPlatform(std::unique_ptr<linuxx11::X11Display> display, int& argc, char** argv)
        : display_(std::move(display)),
          application_(argc, argv),
          changes_(*display_),
          screen_(*display_, &changes_),
          graphics_(screen_),
          windows_(*display_, graphics_, &changes_),
          registry_(linuxfs::FileRegistry::defaultPath()),
          menus_(graphics_),
          toolkit_(*display_, windows_, graphics_) {
        QApplication::setApplicationName(QStringLiteral("magnifier"));
        if (!screen_.supportedFormat()) {
            std::fprintf(stderr, "magnifier: this screen's pixel format is not supported; the view stays black\n");
        }
    }

    Services services() override { return Services{&windows_, &graphics_, &registry_, &shell_, &menus_, &toolkit_}; }
    FormToolkit& toolkit() override { return toolkit_; }

private:
    std::unique_ptr<linuxx11::X11Display> display_;
    QApplication application_;
    linuxx11::X11Changes changes_;
    linuxx11::X11Screen screen_;
    soft::SoftGraphics graphics_;
    linuxx11::X11WindowSystem windows_;
    linuxfs::FileRegistry registry_;
    linuxx11::LinuxShell shell_;
    linuxx11::QtMenus menus_;
    linuxx11::QtToolkit toolkit_;
};

}  // namespace

std::unique_ptr<NativePlatform> openNativePlatform(int argc, char** argv) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        std::fprintf(stderr,
                     "magnifier: no X display: DISPLAY is not set (on Wayland the magnifier needs Xwayland)\n");
        return nullptr;
    }
    auto display = std::make_unique<linuxx11::X11Display>();
    if (!display->ok()) {
        std::fprintf(stderr, "magnifier: cannot open the X display \"%s\"\n", name);
        return nullptr;
    }
    XSetErrorHandler(reportXError);
    prepareQtEnvironment();
    // The program takes no command line; Qt sees only the program's name.
    static int qtArgc = 1;
    static char* qtArgv[] = {argc > 0 ? argv[0] : const_cast<char*>("magnifier"), nullptr};
    return std::make_unique<LinuxPlatform>(std::move(display), qtArgc, qtArgv);
}

}  // namespace platform
