#pragma once
// Overlay texts drawn over the magnified picture: white letters with a dark outline, readable
// over white, black and busy pictures alike. Each text is made once, as the list of its visible
// pixels: most of a text's box is transparent and most of its letters opaque, so a frame touches
// only those pixels and blends only the letters' soft edges.
#include <QFont>
#include <QImage>

#include <cstdint>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/PixelFormat.h"
#include "platform/soft/Surface.h"
#include "platform/soft/ViewFrame.h"

namespace platform::linux_ {

inline constexpr double kReferenceDpi = 96.0;

// The overlay's font: `font` with the pixel size it has at 96 DPI, when fonts are made for `dpi`.
QFont overlayFont(const QFont& font, double dpi);
// The toolkit's default font so, for the DPI its fonts are made for.
QFont overlayFont();

// The picture of a text, white letters with a dark outline on a transparent ground, in
// premultiplied ARGB: made once per text by whoever keeps it.
class TextImages {
public:
    // The outline's width: the image's top-left corner lies this far up and left of the text's.
    static constexpr int kOutline = 2;
    // The image of the text; nothing while the font system is still starting, as the first texts
    // are made off the user-interface thread: the first picture does not wait for it.
    std::optional<QImage> make(const std::string& text);

private:
    std::map<std::string, std::future<QImage>> starting_;
    bool fontsReady_ = false;
};

class TextOverlay : public soft::TextPainter {
public:
    // Overlay pixels are written in the surface's own pixel format, the screen's.
    explicit TextOverlay(const PixelFormat& format) : format_(format) {}

    // Draws the text with its top-left corner at (x, y) of the surface, clipped to it; false
    // while the font system is still starting, as the first texts are made off the user-interface
    // thread: the first picture does not wait for it.
    bool draw(const soft::Surface& surface, int x, int y, const std::string& text) override;

private:
    struct Stamp {
        struct Pixel {
            std::uint32_t alpha = 0;
            // Opaque: the pixel as the surface holds it; else premultiplied 0x00RRGGBB.
            std::uint32_t colour = 0;
        };
        // Visible pixels side by side in one row, relative to the text's corner.
        struct Span {
            int x = 0;
            int y = 0;
            int length = 0;
            std::size_t first = 0;  // index of its first pixel
        };
        std::vector<Span> spans;
        std::vector<Pixel> pixels;
    };
    Stamp stampOf(const QImage& image) const;
    const Stamp* stampFor(const std::string& text);
    std::map<std::string, Stamp> cache_;
    TextImages images_;
    const PixelFormat& format_;
};

}  // namespace platform::linux_
