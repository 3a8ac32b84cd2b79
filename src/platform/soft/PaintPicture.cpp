#include "platform/soft/PaintPicture.h"

namespace platform::soft {

void paintPicture(SoftGraphics& graphics, const PictureRef& picture, const Surface& to, float x1, float y1, float w1,
                  float h1, float x2, float y2, float w2, float h2) {
    if (!picture) return;
    int width = 0, height = 0;
    if (!graphics.bitmapSize(picture->bitmap(), width, height)) return;
    const StretchRect source{x2, y2, w2, h2};
    const StretchRect dest{x1, y1, w1, h1};
    const auto pixels = graphics.bitmapPixels(picture->bitmap(), sourceBounds(source, width, height));
    if (pixels) stretchCopy(*pixels, source, to, dest);
}

}  // namespace platform::soft
