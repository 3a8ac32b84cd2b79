#include "platform/linux/TextOverlay.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace platform::linuxx11 {
namespace {

constexpr int kOutline = 2;
constexpr std::size_t kMaxCachedTexts = 64;

}  // namespace

const QImage& TextOverlay::imageFor(const std::string& text) {
    auto it = cache_.find(text);
    if (it != cache_.end()) return it->second;
    if (cache_.size() >= kMaxCachedTexts) cache_.clear();

    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    const QString label = QString::fromStdString(text);
    QImage image(metrics.horizontalAdvance(label) + 2 * kOutline, metrics.height() + 2 * kOutline,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainterPath path;
    path.addText(kOutline, kOutline + metrics.ascent(), font, label);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.strokePath(path, QPen(QColor(0, 0, 0), 2 * kOutline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(path, QColor(255, 255, 255));
    painter.end();
    return cache_.emplace(text, std::move(image)).first->second;
}

void TextOverlay::draw(const soft::Surface& surface, int x, int y, const std::string& text) {
    if (surface.pixels == nullptr) return;
    const QImage& overlay = imageFor(text);
    QImage target(reinterpret_cast<uchar*>(surface.pixels), surface.width, surface.height, surface.stride * 4,
                  QImage::Format_RGB32);
    QPainter painter(&target);
    // The outline extends the text by its width on every side; the text's own corner stays put.
    painter.drawImage(x - kOutline, y - kOutline, overlay);
}

}  // namespace platform::linuxx11
