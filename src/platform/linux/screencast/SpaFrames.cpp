#include "platform/linux/screencast/SpaFrames.h"

#include <spa/buffer/meta.h>
#include <spa/param/video/raw.h>

namespace platform::linux_::screencast {

std::optional<StreamFormat> pixelFormatFromSpa(std::uint32_t spaFormat) {
    switch (spaFormat) {
        case SPA_VIDEO_FORMAT_BGRx: return StreamFormat::BGRx;
        case SPA_VIDEO_FORMAT_BGRA: return StreamFormat::BGRA;
        case SPA_VIDEO_FORMAT_RGBx: return StreamFormat::RGBx;
        case SPA_VIDEO_FORMAT_RGBA: return StreamFormat::RGBA;
        default: return std::nullopt;
    }
}

bool hasCursorMeta(const spa_buffer& buffer) {
    return spa_buffer_find_meta_data(&buffer, SPA_META_Cursor, sizeof(spa_meta_cursor)) != nullptr;
}

std::optional<Point> cursorFromBuffer(const spa_buffer& buffer) {
    const auto* cursor = static_cast<const spa_meta_cursor*>(
        spa_buffer_find_meta_data(&buffer, SPA_META_Cursor, sizeof(spa_meta_cursor)));
    // Id 0 marks a cursor that is hidden or off this stream.
    if (cursor == nullptr || !spa_meta_cursor_is_valid(cursor)) return std::nullopt;
    return Point{cursor->position.x, cursor->position.y};
}

std::uint32_t cursorMetaSize(std::uint32_t width, std::uint32_t height) {
    return static_cast<std::uint32_t>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap)) + width * height * 4;
}

}  // namespace platform::linux_::screencast
