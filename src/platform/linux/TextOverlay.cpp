#include "platform/linux/TextOverlay.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>
#include <cstdint>

namespace platform::linux_ {
namespace {

constexpr int kOutline = TextImages::kOutline;
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

// Each of the three 8-bit channels times factor/255, rounded down after adding 127/255: red and
// blue side by side in 16-bit lanes, then green; the division by 255 is exact for every channel
// and factor, x / 255 == (x + 1 + (x >> 8)) >> 8 for x up to 65152.
std::uint32_t scaleChannels(std::uint32_t pixel, std::uint32_t factor) {
    std::uint32_t redBlue = (pixel & 0xFF00FF) * factor + 0x7F007F;
    redBlue = ((redBlue + 0x10001 + ((redBlue >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
    std::uint32_t green = ((pixel >> 8) & 0xFF) * factor + 0x7F;
    green = (green + 1 + (green >> 8)) >> 8;
    return redBlue | (green << 8);
}

}  // namespace

QFont overlayFont(const QFont& font, double dpi) {
    // The texts stand at fixed pixel offsets in a band of fixed height; a font that grew with
    // the DPI ran out of the band and into the other text. So the font keeps the pixel size it
    // has at 96 DPI, and at 96 it is left exactly as it is.
    if (dpi <= 0 || dpi == kReferenceDpi || font.pointSizeF() <= 0) return font;
    QFont scaled(font);
    const double pixels = font.pointSizeF() * kReferenceDpi / 72.0;
    if (pixels == static_cast<double>(static_cast<int>(pixels))) {
        scaled.setPixelSize(static_cast<int>(pixels));
    } else {
        scaled.setPointSizeF(font.pointSizeF() * kReferenceDpi / dpi);
    }
    return scaled;
}

QFont overlayFont() {
    // Fonts are made for the primary screen's logical DPI (Xft.dpi, or QT_FONT_DPI).
    const QScreen* screen = QGuiApplication::primaryScreen();
    return overlayFont(QApplication::font(), screen != nullptr ? screen->logicalDotsPerInchY() : kReferenceDpi);
}

TextOverlay::Stamp TextOverlay::stampOf(const QImage& image) const {
    Stamp stamp;
    // The outline extends the text by its width on every side; the text's own corner stays put.
    for (int row = 0; row < image.height(); ++row) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(image.constScanLine(row));
        bool inSpan = false;
        for (int column = 0; column < image.width(); ++column) {
            const std::uint32_t alpha = in[column] >> 24;
            if (alpha == 0) {
                inSpan = false;
                continue;
            }
            if (!inSpan) stamp.spans.push_back(Stamp::Span{column - kOutline, row - kOutline, 0, stamp.pixels.size()});
            inSpan = true;
            ++stamp.spans.back().length;
            // Premultiplied channels never exceed alpha, so over an opaque pixel no sum passes 255.
            std::uint32_t rgb = 0;
            for (int shift = 0; shift < 24; shift += 8) rgb |= std::min((in[column] >> shift) & 0xFF, alpha) << shift;
            stamp.pixels.push_back(Stamp::Pixel{alpha, alpha == 255 && !format_.isRgb() ? format_.fromRgb(rgb) : rgb});
        }
    }
    return stamp;
}

std::optional<QImage> TextImages::make(const std::string& text) {
    auto pending = starting_.find(text);
    if (pending != starting_.end()) {
        if (!fontsReady_ && pending->second.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            return std::nullopt;
        }
        QImage image = pending->second.get();
        starting_.erase(pending);
        fontsReady_ = true;
        return image;
    }
    if (fontsReady_) return renderText(overlayFont(), text);
    // The font configuration is read on first use, which takes tens of milliseconds: the first
    // texts are made on another thread while the picture is shown without them.
    starting_.emplace(text, std::async(std::launch::async, renderText, overlayFont(), text));
    return std::nullopt;
}

const TextOverlay::Stamp* TextOverlay::stampFor(const std::string& text) {
    auto it = cache_.find(text);
    if (it != cache_.end()) return &it->second;
    if (cache_.size() >= kMaxCachedTexts) cache_.clear();
    const std::optional<QImage> image = images_.make(text);
    if (!image) return nullptr;
    return &cache_.emplace(text, stampOf(*image)).first->second;
}

bool TextOverlay::draw(const soft::Surface& surface, int x, int y, const std::string& text) {
    if (surface.pixels == nullptr) return true;
    const Stamp* stamp = stampFor(text);
    if (stamp == nullptr) return false;
    const PixelFormat& format = format_;
    const bool rgb = format.isRgb();
    // Blended by hand: a painter set up on the whole surface every tick costs more than the few
    // hundred pixels a text covers. Premultiplied source over an opaque target.
    for (const Stamp::Span& span : stamp->spans) {
        const int row = y + span.y;
        if (row < 0 || row >= surface.height) continue;
        const int left = x + span.x;
        const int from = std::max(0, -left), to = std::min(span.length, surface.width - left);
        std::uint32_t* out = surface.row(row);
        const Stamp::Pixel* in = stamp->pixels.data() + span.first;
        for (int i = from; i < to; ++i) {
            const Stamp::Pixel p = in[i];
            std::uint32_t& pixel = out[left + i];
            if (p.alpha == 255) {
                pixel = p.colour;
                continue;
            }
            const std::uint32_t target = rgb ? pixel : format.toRgb(pixel);
            const std::uint32_t blended = p.colour + scaleChannels(target, 255 - p.alpha);
            pixel = rgb ? blended : format.fromRgb(blended);
        }
    }
    return true;
}

}  // namespace platform::linux_
