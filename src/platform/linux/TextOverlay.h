#pragma once
// Overlay texts drawn over the magnified picture: white letters with a dark outline, readable
// over white, black and busy pictures alike. Each text's image is made once and reused.
#include <QFont>
#include <QImage>

#include <future>
#include <map>
#include <string>

#include "platform/linux/PixelFormat.h"
#include "platform/soft/Surface.h"
#include "platform/soft/ViewFrame.h"

namespace platform::linuxx11 {

class TextOverlay : public soft::TextPainter {
public:
    // Overlay pixels are written in the surface's own pixel format, the screen's.
    explicit TextOverlay(const PixelFormat& format) : format_(format) {}

    // Draws the text with its top-left corner at (x, y) of the surface, clipped to it; false
    // while the font system is still starting, as the first texts are made off the user-interface
    // thread: the first picture does not wait for it.
    bool draw(const soft::Surface& surface, int x, int y, const std::string& text) override;

private:
    const QImage* imageFor(const std::string& text);
    std::map<std::string, QImage> cache_;
    std::map<std::string, std::future<QImage>> starting_;
    bool fontsReady_ = false;
    const PixelFormat& format_;
};

}  // namespace platform::linuxx11
