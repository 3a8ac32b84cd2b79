// A native Wayland window filling a monitor with the unique test pattern, each pixel naming its
// own screen position. Run with QT_QPA_PLATFORM=wayland; prints "shown WxH" once painted, and
// paints again on SIGUSR1 (a change on the monitor, for a compositor that sends pictures of
// changes only).
//   --screen N   fills the Nth monitor from the left, its pattern continuing the one on its left
//   --scaled     paints in the monitor's real pixels where the desktop scales it, as programs
//                that follow the scale do; the pattern then names real pixel positions
//   --blocks N   paints blocks of N x N window pixels instead, block (i, j) in the pattern's
//                colour for (i, j): at a fractional scale, where the desktop resamples
//                windows, the inside of each block keeps its colour
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRasterWindow>

#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "harness/Screen.h"

namespace {

class PatternWindow : public QRasterWindow {
public:
    PatternWindow(QPoint origin, int block) : origin_(origin), block_(block) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (flashing_) {
            QPainter(this).fillRect(0, 0, 4, 4, Qt::gray);
            return;
        }
        const qreal ratio = devicePixelRatio();
        const QSize real(qRound(width() * ratio), qRound(height() * ratio));
        if (block_ > 0) {
            QPainter painter(this);
            for (int y = 0; y < height(); y += block_) {
                for (int x = 0; x < width(); x += block_) {
                    painter.fillRect(x, y, block_, block_, QColor::fromRgb(e2e::UniquePattern::colour(x / block_, y / block_)));
                }
            }
            std::printf("shown %dx%d\n", width(), height());
            std::fflush(stdout);
            return;
        }
        if (image_.size() != real) {
            image_ = QImage(real, QImage::Format_RGB32);
            for (int y = 0; y < image_.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
                for (int x = 0; x < image_.width(); ++x) {
                    row[x] = 0xFF000000u | e2e::UniquePattern::colour(origin_.x() + x, origin_.y() + y);
                }
            }
            image_.setDevicePixelRatio(ratio);
        }
        QPainter(this).drawImage(0, 0, image_);
        std::printf("shown %dx%d\n", image_.width(), image_.height());
        std::fflush(stdout);
    }

public:
    void flash() {
        flashing_ = true;
        update();
        QTimer::singleShot(100, this, [this] {
            flashing_ = false;
            update();
        });
    }

private:
    bool flashing_ = false;
    QPoint origin_;  // the real pixel position of the window's corner on the desktop
    int block_ = 0;
    QImage image_;
};

}  // namespace

int main(int argc, char** argv) {
    const QStringList arguments = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    const bool scaled = arguments.contains(QStringLiteral("--scaled"));
    const int block = arguments.contains(QStringLiteral("--blocks"))
                          ? arguments.value(arguments.indexOf(QStringLiteral("--blocks")) + 1).toInt()
                          : 0;
    const int index = arguments.contains(QStringLiteral("--screen"))
                          ? arguments.value(arguments.indexOf(QStringLiteral("--screen")) + 1).toInt()
                          : 0;
    if (!scaled) qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QGuiApplication application(argc, argv);
    QList<QScreen*> screens = QGuiApplication::screens();
    std::sort(screens.begin(), screens.end(), [](QScreen* a, QScreen* b) { return a->geometry().x() < b->geometry().x(); });
    if (index < 0 || index >= screens.size()) {
        std::fprintf(stderr, "no screen %d\n", index);
        return 1;
    }
    // The monitors on its left, in real pixels.
    int left = 0;
    for (int i = 0; i < index; ++i) left += qRound(screens[i]->geometry().width() * screens[i]->devicePixelRatio());
    PatternWindow window(QPoint(left, 0), block);
    static int repaint[2];
    if (::pipe(repaint) != 0) return 1;
    std::signal(SIGUSR1, [](int) { [[maybe_unused]] const auto n = ::write(repaint[1], "r", 1); });
    QSocketNotifier notifier(repaint[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char byte;
        [[maybe_unused]] const auto n = ::read(repaint[0], &byte, 1);
        // Another colour for a moment, then the pattern again: two changes the compositor sends.
        window.flash();
    });
    window.setScreen(screens[index]);
    window.setGeometry(screens[index]->geometry());
    window.setTitle(QStringLiteral("pattern"));
    window.showFullScreen();
    return QGuiApplication::exec();
}
