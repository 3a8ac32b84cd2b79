#include "base/Arithmetic.h"

#include <cmath>
#include <limits>

namespace base {

double roundHalfEven(double value) {
    // Computed by hand rather than with std::nearbyint, which depends on the floating-point
    // environment's rounding mode.
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff < 0.5) return down;
    if (diff > 0.5) return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

namespace {

template <typename T>
T roundedTo(double value, const char* what) {
    const double r = roundHalfEven(value);
    if (!(r >= static_cast<double>(std::numeric_limits<T>::min()) &&
          r <= static_cast<double>(std::numeric_limits<T>::max()))) {
        throw OverflowError(std::string("overflow converting to ") + what);
    }
    return static_cast<T>(r);
}

template <typename T>
T checked(long long result, const char* what) {
    if (result < std::numeric_limits<T>::min() || result > std::numeric_limits<T>::max()) {
        throw OverflowError(std::string("overflow in ") + what);
    }
    return static_cast<T>(result);
}

}  // namespace

std::int16_t toInt16(double value) { return roundedTo<std::int16_t>(value, "16-bit integer"); }
std::int32_t toInt32(double value) { return roundedTo<std::int32_t>(value, "32-bit integer"); }

std::int16_t mul16(std::int16_t a, std::int16_t b) {
    return checked<std::int16_t>(static_cast<long long>(a) * b, "16-bit multiplication");
}
std::int16_t sub16(std::int16_t a, std::int16_t b) {
    return checked<std::int16_t>(static_cast<long long>(a) - b, "16-bit subtraction");
}
std::int32_t mul32(std::int32_t a, std::int32_t b) {
    return checked<std::int32_t>(static_cast<long long>(a) * b, "32-bit multiplication");
}
std::int32_t sub32(std::int32_t a, std::int32_t b) {
    return checked<std::int32_t>(static_cast<long long>(a) - b, "32-bit subtraction");
}

std::int32_t add32(std::int32_t a, std::int32_t b) {
    return checked<std::int32_t>(static_cast<long long>(a) + b, "32-bit addition");
}

std::int32_t twipsToPixels(float twips) { return toInt32(static_cast<double>(twips) / kTwipsPerPixel); }

float pixelsToTwips(std::int32_t pixels) { return static_cast<float>(mul32(pixels, kTwipsPerPixel)); }

}  // namespace base
