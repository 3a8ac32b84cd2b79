#include "platform/linux/WindowIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace platform::linux_ {
namespace {

QPixmap glass(int size) {
    QImage image(size, size, QImage::Format_RGB888);
    image.fill(QColor(240, 240, 240));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size / 16.0;
    painter.setPen(QPen(QColor(40, 40, 40), 1.6 * s, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(QColor(150, 200, 245));
    painter.drawEllipse(QRectF(1.5 * s, 1.5 * s, 9 * s, 9 * s));
    painter.setPen(QPen(QColor(120, 70, 20), 2.6 * s, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10 * s, 10 * s), QPointF(14.5 * s, 14.5 * s));
    painter.end();
    return QPixmap::fromImage(image);
}

}  // namespace

QIcon windowIcon() {
    QIcon icon;
    icon.addPixmap(glass(16));
    icon.addPixmap(glass(32));
    return icon;
}

}  // namespace platform::linux_
