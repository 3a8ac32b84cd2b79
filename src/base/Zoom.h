#pragma once
// The zoom factor's one rule, and the control through which the keys, the wheel hook and the
// context menu change it.
#include <cstdint>

namespace base {

inline constexpr std::int16_t kMinZoom = 1;
inline constexpr std::int16_t kMaxZoom = 18;

// One step in the direction of `direction`'s sign, never past 1..18; 0 keeps the factor. A factor
// already outside the range is only moved towards it.
constexpr std::int16_t steppedZoom(std::int16_t zoom, int direction) {
    if (direction > 0 && zoom < kMaxZoom) return static_cast<std::int16_t>(zoom + 1);
    if (direction < 0 && zoom > kMinZoom) return static_cast<std::int16_t>(zoom - 1);
    return zoom;
}

// Implemented by the window that shows the view.
class ZoomControl {
public:
    // The zoom factor: plain accessors, no range check; every writer keeps 1..18.
    virtual std::int16_t size() const = 0;
    virtual void setSize(std::int16_t value) = 0;

    void stepZoom(int direction) { setSize(steppedZoom(size(), direction)); }

protected:
    ~ZoomControl() = default;
};

}  // namespace base
