#pragma once
// What a PipeWire video buffer says about itself: its pixel layout and the pointer position
// carried in its cursor metadata.
#include <spa/buffer/buffer.h>

#include <cstdint>
#include <optional>

#include "platform/Types.h"
#include "platform/linux/screencast/FrameCanvas.h"

namespace platform::linux_::screencast {

// The layout for a SPA video format, or nothing for one the capture does not take.
std::optional<StreamFormat> pixelFormatFromSpa(std::uint32_t spaFormat);

// Whether the buffer carries cursor metadata at all: a buffer without it says nothing of the pointer.
bool hasCursorMeta(const spa_buffer& buffer);
// The pointer position relative to the stream, from the buffer's cursor metadata; nothing when
// the buffer has none or says the pointer is not on this stream.
std::optional<Point> cursorFromBuffer(const spa_buffer& buffer);

// Room asked for the cursor metadata: the header and a pointer image of up to 64x64 pixels.
std::uint32_t cursorMetaSize(std::uint32_t width, std::uint32_t height);

}  // namespace platform::linux_::screencast
