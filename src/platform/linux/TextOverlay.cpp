#include "platform/linux/TextOverlay.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstdint>

namespace platform::linuxx11 {
namespace {

constexpr int kOutline = 2;
constexpr std::size_t kMaxCachedTexts = 64;

// Safe on any thread: fonts and painting on a QImage need no user-interface thread.
QImage renderText(const QFont& font, const std::string& text) {
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
    return image;
}

}  // namespace

const QImage* TextOverlay::imageFor(const std::string& text) {
    auto it = cache_.find(text);
    if (it != cache_.end()) return &it->second;
    if (cache_.size() >= kMaxCachedTexts) cache_.clear();
    auto pending = starting_.find(text);
    if (pending != starting_.end()) {
        if (!fontsReady_ && pending->second.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            return nullptr;
        }
        QImage image = pending->second.get();
        starting_.erase(pending);
        fontsReady_ = true;
        return &cache_.emplace(text, std::move(image)).first->second;
    }
    if (fontsReady_) return &cache_.emplace(text, renderText(QApplication::font(), text)).first->second;
    // The font configuration is read on first use, which takes tens of milliseconds: the first
    // texts are made on another thread while the picture is shown without them.
    starting_.emplace(text, std::async(std::launch::async, renderText, QApplication::font(), text));
    return nullptr;
}

bool TextOverlay::draw(const soft::Surface& surface, int x, int y, const std::string& text) {
    if (surface.pixels == nullptr) return true;
    const QImage* image = imageFor(text);
    if (image == nullptr) return false;
    const QImage& overlay = *image;
    const PixelFormat& format = format_;
    // The outline extends the text by its width on every side; the text's own corner stays put.
    const int left = x - kOutline, top = y - kOutline;
    const bool rgb = format.isRgb();
    // Blended by hand: a painter set up on the whole surface every tick costs more than the few
    // hundred pixels a text covers.
    for (int row = std::max(0, -top); row < overlay.height() && top + row < surface.height; ++row) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(overlay.constScanLine(row));
        std::uint32_t* out = surface.row(top + row);
        for (int column = std::max(0, -left); column < overlay.width() && left + column < surface.width; ++column) {
            const std::uint32_t source = in[column];
            const std::uint32_t alpha = source >> 24;
            if (alpha == 0) continue;
            std::uint32_t& pixel = out[left + column];
            if (alpha == 255) {
                pixel = rgb ? source & 0xFFFFFF : format.fromRgb(source);
                continue;
            }
            const std::uint32_t target = rgb ? pixel : format.toRgb(pixel);
            // Premultiplied source over an opaque target, channel by channel.
            std::uint32_t blended = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const std::uint32_t s = (source >> shift) & 0xFF;
                const std::uint32_t d = (target >> shift) & 0xFF;
                blended |= std::min<std::uint32_t>(255, s + (d * (255 - alpha) + 127) / 255) << shift;
            }
            pixel = rgb ? blended : format.fromRgb(blended);
        }
    }
    return true;
}

}  // namespace platform::linuxx11
