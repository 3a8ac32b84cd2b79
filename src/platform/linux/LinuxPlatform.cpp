// The Linux build's platform.
// Implements: the form, its timer and the menus with Qt Widgets on the xcb platform; the screen's
// pixels from the X root window (MIT-SHM, or plain requests on a remote display); the cursor,
// z-order, the "above" layer and frame extents through the window manager's EWMH hints; the
// registry as a REGEDIT4 text file under the user's configuration folder; the shell as xdg-open.
// Cannot: see anything but the root window's contents (on Wayland, Xwayland's windows only);
// subclass any window but the program's own; give a device context of any window but the root;
// honour topmost without a window manager that supports
// _NET_WM_STATE_ABOVE; move the pointer on a Wayland session.
// On a Wayland session the window stays an X11 window on Xwayland, but the screen is read through
// the screen-cast portal: Xwayland's root window holds only the X11 windows.
#include <QApplication>
#include <QWidget>
#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "base/DebugSwitches.h"
#include "base/Warn.h"
#include "platform/NativePlatform.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/QtClipboard.h"
#include "platform/linux/X11Changes.h"
#include "platform/linux/QtToolkit.h"
#include "platform/linux/QtMenus.h"
#include "platform/linux/SessionEnd.h"
#include "platform/linux/X11Display.h"
#include "platform/linux/X11Monitors.h"
#include "platform/linux/X11RenderBuffer.h"
#include "platform/linux/X11Screen.h"
#include "platform/linux/X11WindowSystem.h"
#include "platform/linux/registry/FileRegistry.h"
#include "platform/linux/screencast/CaptureChoice.h"
#include "platform/linux/screencast/SharedScreen.h"
#include "platform/soft/SoftGraphics.h"

namespace platform {
namespace {

// An X error on the program's own connection is reported, not fatal: a window that went away
// between two requests is no reason to end the magnifier.
int reportXError(Display* display, XErrorEvent* error) {
    linux_::noteXError(*error);
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    base::warn("X error: " + std::string(text) + " (request " + std::to_string(error->request_code) + ")");
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

// Whether the screen is to be read through the screen-cast portal.
bool portalWanted() {
    const linux_::screencast::CaptureChoice choice = linux_::screencast::chooseCapture([](const char* name) { return std::getenv(name); });
    if (!choice.complaint.empty()) base::warn(choice.complaint);
    return choice.kind == linux_::screencast::CaptureKind::Portal;
}

// Qt hands Xlib the window's title as UTF-8 for the legacy WM_NAME and WM_ICON_NAME, and Xlib
// reads it in the locale's encoding: under LC_ALL=C or a Latin-2 locale "Nagyító" came out encoded
// twice. Only the character type changes, after Qt has set the locale from the environment, so
// messages and formats stay the user's and the programs the menu starts inherit nothing.
bool useUtf8TextEncoding() {
    const std::string_view codeset = nl_langinfo(CODESET);
    if (codeset == "UTF-8" || codeset == "utf8") return true;
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"})
        if (std::setlocale(LC_CTYPE, name) != nullptr) return true;
    base::warn("no UTF-8 locale; window titles may show wrongly to older tools");
    return false;
}

// The program's shown window as the portal names windows: its share dialog then stands over it,
// not hidden under a window that stays on top.
std::string shownWindow() {
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->internalWinId() != 0) {
            return "x11:" + QString::number(widget->internalWinId(), 16).toStdString();
        }
    }
    return {};
}

bool waylandSession() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* session = std::getenv("XDG_SESSION_TYPE");
    return (display != nullptr && *display != '\0') || (session != nullptr && std::string_view(session) == "wayland");
}

class LinuxPlatform : public NativePlatform {
public:
    LinuxPlatform(std::unique_ptr<linux_::X11Display> display, int& argc, char** argv)
        : display_(std::move(display)),
          application_(argc, argv),
          utf8Text_(useUtf8TextEncoding()),
          registry_(linux_::registry::FileRegistry::defaultPath()),
          changes_(*display_),
          x11Screen_(*display_, &changes_),
          portal_(portalWanted() ? std::make_unique<linux_::screencast::SharedScreen>(
                                       registry_, x11Screen_, [this] { return monitorAreas(); }, shownWindow)
                                 : nullptr),
          graphics_(portal_ ? static_cast<soft::ScreenSource&>(*portal_) : x11Screen_),
          windows_(*display_, graphics_, &changes_),
          menus_(graphics_),
          toolkit_(*display_, windows_, graphics_) {
        // The application id names the window's class (WM_CLASS), which desktops match against
        // the desktop entry's StartupWMClass to give the window the entry's name and icon.
        QApplication::setApplicationName(QStringLiteral(MAGNIFIER_APP_ID));
        QGuiApplication::setDesktopFileName(QStringLiteral(MAGNIFIER_APP_ID));
        // On Wayland only the compositor moves the pointer; Xwayland would take a warp and ignore it.
        windows_.setPointerFixed(waylandSession());
        chooseViewDrawing();
        if (portal_) {
            windows_.usePointerSource([this] { return portal_->pointer(); });
            toolkit_.setScreenNews(portal_->newsDescriptor(), [this] { return portal_->showsSharedScreen(); });
            // The window shows at once; the sharing is asked for meanwhile.
            portal_->start();
        } else if (!x11Screen_.supportedFormat()) {
            base::warn("this screen's pixel format is not supported; the view stays black");
        }
    }

    Services services() override { return Services{&windows_, &graphics_, &registry_, &shell_, &menus_, &toolkit_, &clipboard_, &dialogs_,
                        portal_ ? static_cast<ScreenStatus*>(portal_.get()) : &wholeScreen_}; }
    FormToolkit& toolkit() override { return toolkit_; }

private:
    std::vector<Rect> monitorAreas() {
        std::vector<Rect> areas;
        for (const MonitorInfo& monitor : linux_::queryMonitors(*display_)) areas.push_back(monitor.monitor);
        return areas;
    }

    // The view is drawn inside the X server where it can be exactly, else in the program's
    // memory; which one is said only when the frame statistics are asked for.
    void chooseViewDrawing() {
        std::string why;
        bool server = false;
        if (base::debugSwitches().noServerDrawing) {
            why = "MAGNIFIER_NO_XRENDER is set";
        } else {
            server = linux_::X11RenderBuffer::usable(display_->get(), why);
        }
        // The portal's pictures are in the program's memory: only the part the view shows goes up
        // to the server, which enlarges it.
        toolkit_.setServerDrawing(server, !portal_);
        if (base::debugSwitches().frameStats) {
            base::warn(server ? std::string(portal_ ? "view drawn in the X server from the portal's pictures"
                                                    : "view drawn in the X server")
                              : "view drawn in memory: " + why);
        }
    }

    std::unique_ptr<linux_::X11Display> display_;
    QApplication application_;
    [[maybe_unused]] bool utf8Text_;  // set once Qt has taken the locale from the environment
    linux_::registry::FileRegistry registry_;
    linux_::X11Changes changes_;
    linux_::X11Screen x11Screen_;
    std::unique_ptr<linux_::screencast::SharedScreen> portal_;
    WholeScreen wholeScreen_;
    soft::SoftGraphics graphics_;
    linux_::X11WindowSystem windows_;
    linux_::LinuxShell shell_;
    linux_::QtMenus menus_;
    linux_::QtToolkit toolkit_;
    linux_::QtClipboard clipboard_;
    linux_::QtDialogs dialogs_;
    // Logout, shutdown and Ctrl+C save the settings as closing the window does.
    linux_::SessionEnd sessionEnd_{[this](int) { toolkit_.endSession(); }};
};

}  // namespace

std::unique_ptr<NativePlatform> openNativePlatform(int argc, char** argv) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        base::warn("no X display: DISPLAY is not set (on Wayland the magnifier needs Xwayland)");
        return nullptr;
    }
    auto display = std::make_unique<linux_::X11Display>();
    if (!display->ok()) {
        base::warn("cannot open the X display \"" + std::string(name) + "\"");
        return nullptr;
    }
    XSetErrorHandler(reportXError);
    prepareQtEnvironment();
    // main() has answered the command line already. Qt sees only the program's name, so none of
    // its own options (-display, -platform, ...) can change how the magnifier runs, and the
    // screen's own visual for its windows: Qt would pick TrueColor on a DirectColor screen, whose
    // colours the view could then show only approximately.
    static std::string visual = std::to_string(XVisualIDFromVisual(DefaultVisual(display->get(), display->screen())));
    static char visualOption[] = "-visual";
    static int qtArgc = 3;
    static char* qtArgv[] = {argc > 0 ? argv[0] : const_cast<char*>("magnifier"), visualOption, visual.data(), nullptr};
    return std::make_unique<LinuxPlatform>(std::move(display), qtArgc, qtArgv);
}

}  // namespace platform
