#include "platform/linux/PixelFormat.h"

#include <bit>
#include <limits>

namespace platform::linux_ {
namespace {

std::uint32_t channelDistance(std::uint32_t a, std::uint32_t b) {
    std::uint32_t sum = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        sum += static_cast<std::uint32_t>(d * d);
    }
    return sum;
}

}  // namespace

PixelFormat::Channel PixelFormat::channel(std::uint32_t mask) {
    Channel c;
    c.mask = mask;
    c.shift = mask == 0 ? 0 : std::countr_zero(mask);
    c.max = mask >> c.shift;
    return c;
}

// Scaled as the server scales a channel to a colour: value / max of full intensity, rounded.
std::uint32_t PixelFormat::Channel::to8(std::uint32_t pixel) const {
    if (max == 0) return 0;
    const std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<std::uint32_t>((value * 255 + max / 2) / max);
}

std::uint32_t PixelFormat::Channel::from8(std::uint32_t value) const {
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(value) * max + 127) / 255) << shift;
}

PixelFormat PixelFormat::masked(int depth, std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    PixelFormat format;
    format.red_ = channel(red);
    format.green_ = channel(green);
    format.blue_ = channel(blue);
    format.colourBits_ = (red | green | blue) & (depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1);
    return format;
}

PixelFormat PixelFormat::indexed(int depth, std::vector<std::uint32_t> palette) {
    PixelFormat format;
    format.indexed_ = true;
    format.colourBits_ = depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1;
    format.palette_ = std::move(palette);
    return format;
}

PixelFormat PixelFormat::of(::Display* display, const Visual* visual, int depth, Colormap colormap) {
    if (visual->c_class == TrueColor || visual->c_class == DirectColor) {
        return masked(depth, static_cast<std::uint32_t>(visual->red_mask),
                      static_cast<std::uint32_t>(visual->green_mask),
                      static_cast<std::uint32_t>(visual->blue_mask));
    }
    const int entries = visual->map_entries;
    std::vector<XColor> colours(static_cast<std::size_t>(std::max(entries, 0)));
    for (int i = 0; i < entries; ++i) colours[static_cast<std::size_t>(i)].pixel = static_cast<unsigned long>(i);
    if (entries > 0) XQueryColors(display, colormap, colours.data(), entries);
    std::vector<std::uint32_t> palette;
    palette.reserve(colours.size());
    for (const XColor& c : colours) {
        const auto channel = [](unsigned short value) { return static_cast<std::uint32_t>(value >> 8); };
        palette.push_back((channel(c.red) << 16) | (channel(c.green) << 8) | channel(c.blue));
    }
    return indexed(depth, std::move(palette));
}

std::uint32_t PixelFormat::toRgb(std::uint32_t pixel) const {
    if (indexed_) return pixel < palette_.size() ? palette_[pixel] : 0;
    return (red_.to8(pixel) << 16) | (green_.to8(pixel) << 8) | blue_.to8(pixel);
}

std::uint32_t PixelFormat::fromRgb(std::uint32_t rgb) const {
    rgb &= 0xFFFFFF;
    if (!indexed_) return red_.from8(rgb >> 16) | green_.from8((rgb >> 8) & 0xFF) | blue_.from8(rgb & 0xFF);
    if (auto it = nearest_.find(rgb); it != nearest_.end()) return it->second;
    std::uint32_t best = 0, bestDistance = std::numeric_limits<std::uint32_t>::max();
    for (std::uint32_t i = 0; i < palette_.size() && bestDistance != 0; ++i) {
        const std::uint32_t distance = channelDistance(palette_[i], rgb);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    // Only the few colours drawn over the picture are asked for; bounded all the same.
    if (nearest_.size() > 4096) nearest_.clear();
    nearest_.emplace(rgb, best);
    return best;
}

}  // namespace platform::linux_
