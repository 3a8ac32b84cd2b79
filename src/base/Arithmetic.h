#pragma once
// Integer conversions and checked arithmetic as the program's sequences use them: every
// conversion from a floating-point number rounds to the nearest integer with a half going to the
// even neighbour, and an integer operation that leaves its type raises an error instead of
// wrapping around.
#include <cstdint>
#include <stdexcept>

namespace base {

class OverflowError : public std::overflow_error {
public:
    using std::overflow_error::overflow_error;
};

class DivisionByZeroError : public std::domain_error {
public:
    using std::domain_error::domain_error;
};

// Nearest integer, halves to the even neighbour (7.5 gives 8, 8.5 gives 8).
double roundHalfEven(double value);

// Rounded conversions; throw OverflowError when the result does not fit (NaN included).
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);

// Signed 16-bit operations with overflow detection.
std::int16_t mul16(std::int16_t a, std::int16_t b);
std::int16_t sub16(std::int16_t a, std::int16_t b);

// Signed 32-bit operations with overflow detection.
std::int32_t mul32(std::int32_t a, std::int32_t b);
std::int32_t sub32(std::int32_t a, std::int32_t b);
std::int32_t add32(std::int32_t a, std::int32_t b);

// Twips and pixels, with the fixed factor of 15 twips to the pixel whatever the display says.
inline constexpr std::int32_t kTwipsPerPixel = 15;
// twips / 15, rounded half to even, into 32 bits.
std::int32_t twipsToPixels(float twips);
// pixels * 15, with overflow detection, as the toolkit's single-precision number.
float pixelsToTwips(std::int32_t pixels);

}  // namespace base
