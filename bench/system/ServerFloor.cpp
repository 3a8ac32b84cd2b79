// The least a server-side magnifier can cost: every 10 ms one copy of the source from the root
// window into a pixmap, one scaled Render composite into a window, and one round trip; nothing
// else (no pointer, no texts, no change detection). The floor the magnifier's busy-screen figure
// is compared with.
//
// server-floor WIDTH HEIGHT ZOOM SOURCE_X SOURCE_Y: a WIDTH x HEIGHT window at (0, 0) showing the
// screen from (SOURCE_X, SOURCE_Y) ZOOM times enlarged. SIGUSR1 prints "frames N" on stderr.
#include <X11/Xlib.h>
#include <X11/extensions/Xrender.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

volatile std::sig_atomic_t report = 0;
volatile std::sig_atomic_t stop = 0;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: server-floor WIDTH HEIGHT ZOOM SOURCE_X SOURCE_Y\n");
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]), zoom = std::atoi(argv[3]);
    const int sourceX = std::atoi(argv[4]), sourceY = std::atoi(argv[5]);
    std::signal(SIGUSR1, [](int) { report = 1; });
    std::signal(SIGTERM, [](int) { stop = 1; });
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 1;
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window window = XCreateWindow(display, root, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                        0, CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    XStoreName(display, window, "server-floor");
    XMapWindow(display, window);
    const int sourceWidth = (width + zoom - 1) / zoom, sourceHeight = (height + zoom - 1) / zoom;
    XRenderPictFormat* format = XRenderFindVisualFormat(display, DefaultVisual(display, screen));
    const Pixmap pixmap = XCreatePixmap(display, root, static_cast<unsigned>(sourceWidth),
                                        static_cast<unsigned>(sourceHeight), static_cast<unsigned>(DefaultDepth(display, screen)));
    const Picture source = XRenderCreatePicture(display, pixmap, format, 0, nullptr);
    const Picture target = XRenderCreatePicture(display, window, format, 0, nullptr);
    XTransform transform{{{XDoubleToFixed(1.0 / zoom), 0, 0}, {0, XDoubleToFixed(1.0 / zoom), 0}, {0, 0, XDoubleToFixed(1)}}};
    XRenderSetPictureTransform(display, source, &transform);
    XRenderSetPictureFilter(display, source, FilterNearest, nullptr, 0);
    XGCValues values{};
    values.subwindow_mode = IncludeInferiors;
    values.graphics_exposures = False;
    const GC gc = XCreateGC(display, root, GCSubwindowMode | GCGraphicsExposures, &values);

    long frames = 0;
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    while (!stop) {
        XCopyArea(display, root, pixmap, gc, sourceX, sourceY, static_cast<unsigned>(sourceWidth),
                  static_cast<unsigned>(sourceHeight), 0, 0);
        XRenderComposite(display, PictOpSrc, source, 0, target, 0, 0, 0, 0, 0, 0, static_cast<unsigned>(width),
                         static_cast<unsigned>(height));
        XSync(display, False);
        ++frames;
        if (report) {
            report = 0;
            std::fprintf(stderr, "frames %ld\n", frames);
            std::fflush(stderr);
        }
        next.tv_nsec += 10'000'000;
        if (next.tv_nsec >= 1'000'000'000) {
            next.tv_nsec -= 1'000'000'000;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
    XCloseDisplay(display);
    return 0;
}
