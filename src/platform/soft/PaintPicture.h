#pragma once
// The form's PaintPicture for back ends whose pictures live in SoftGraphics.
#include "platform/Picture.h"
#include "platform/soft/SoftGraphics.h"
#include "platform/soft/Surface.h"

namespace platform::soft {

// Stretches the source rectangle of the picture's bitmap onto the destination rectangle of `to`.
// Only the part of the bitmap the stretch reads is fetched.
void paintPicture(SoftGraphics& graphics, const PictureRef& picture, const Surface& to, float x1, float y1, float w1,
                  float h1, float x2, float y2, float w2, float h2);

}  // namespace platform::soft
