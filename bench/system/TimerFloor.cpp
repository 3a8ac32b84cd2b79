// The least a Qt program can do while its window is shown and a 10 ms timer runs, set up as the
// magnifier sets up Qt: the floor under the magnifier's idle figures, measured in the same run.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_NO_GLIB", "1");
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("timer-floor"));
    window.resize(800, 600);
    window.show();
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(10);
    unsigned long ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();
    return application.exec();
}
