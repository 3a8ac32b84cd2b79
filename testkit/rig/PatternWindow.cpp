// A native Wayland window filling the monitor with the unique test pattern, each pixel naming
// its own screen position. Run with QT_QPA_PLATFORM=wayland; prints "shown" once painted.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRasterWindow>

#include <cstdio>

#include "harness/Screen.h"

namespace {

class PatternWindow : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override {
        if (image_.size() != size()) {
            image_ = QImage(size(), QImage::Format_RGB32);
            for (int y = 0; y < image_.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
                for (int x = 0; x < image_.width(); ++x) row[x] = 0xFF000000u | e2e::UniquePattern::colour(x, y);
            }
        }
        QPainter(this).drawImage(0, 0, image_);
        std::printf("shown %dx%d\n", image_.width(), image_.height());
        std::fflush(stdout);
    }

private:
    QImage image_;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QGuiApplication application(argc, argv);
    PatternWindow window;
    window.setTitle(QStringLiteral("pattern"));
    window.showFullScreen();
    return QGuiApplication::exec();
}
