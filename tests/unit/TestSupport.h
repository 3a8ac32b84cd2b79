#pragma once
// Helpers shared by the unit tests: the settings store's paths, stored 2-byte values, client
// sizes with the fake frame, and a pixel-by-pixel comparison of the view with the screen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/SettingsKeys.h"
#include "platform/fake/FakePlatform.h"
#include "settings/RegistryStore.h"

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

inline std::string familyKey() { return base::kFamilyKeyPath; }
inline std::string programKey() { return base::programKeyPath(); }

inline void storeBytes(platform::fake::FakePlatform& fake, const std::string& key, const std::string& name,
                       Bytes bytes, std::uint32_t type = platform::REG_BINARY) {
    fake.registry.put(key, name, platform::fake::RegistryValue{type, std::move(bytes)});
}

// A value of the program's own key as the program itself writes it: two bytes, low first.
inline void storeSetting(platform::fake::FakePlatform& fake, const std::string& name, int value) {
    storeBytes(fake, programKey(), name,
               Bytes{static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF)});
}

inline std::optional<Bytes> storedBytes(const platform::fake::FakePlatform& fake, const std::string& key,
                                        const std::string& name) {
    auto value = fake.registry.get(key, name);
    if (!value) return std::nullopt;
    return value->data;
}

// The value as a little-endian unsigned number, or -1 when absent.
inline long storedNumber(const platform::fake::FakePlatform& fake, const std::string& key, const std::string& name) {
    auto bytes = storedBytes(fake, key, name);
    if (!bytes) return -1;
    long n = 0;
    for (std::size_t i = bytes->size(); i-- > 0;) n = n * 256 + (*bytes)[i];
    return n;
}

inline int outerWidthFor(const platform::fake::FakePlatform& fake, int clientWidth) {
    return clientWidth + fake.toolkit.frame.left + fake.toolkit.frame.right;
}
inline int outerHeightFor(const platform::fake::FakePlatform& fake, int clientHeight) {
    return clientHeight + fake.toolkit.frame.top + fake.toolkit.frame.bottom;
}

// The user drags the frame until the client area has the given size.
inline void resizeClient(platform::fake::FakePlatform& fake, platform::fake::FakeForm& form, int width, int height) {
    form.userResize(outerWidthFor(fake, width), outerHeightFor(fake, height));
    ASSERT_EQ(form.clientWidth(), width);
    ASSERT_EQ(form.clientHeight(), height);
}

// The test pattern with its one black pixel, (0, 0), made white: black then means "off the screen".
inline void paintDistinctScreen(platform::fake::FakePlatform& fake) {
    fake.screen.fillPattern();
    fake.screen.setPixel(0, 0, 0xFFFFFFu);
}

// What the view's pixel should be: the screen pixel, or black where the capture left the screen.
inline std::uint32_t screenOrBlack(const platform::fake::FakeScreen& screen, long x, long y) {
    if (x < 0 || y < 0 || x >= screen.width() || y >= screen.height()) return 0;
    return screen.pixel(static_cast<int>(x), static_cast<int>(y));
}

// Every client pixel (cx, cy) shows screen (left + floor(cx / zoom), top + floor(cy / zoom)).
inline ::testing::AssertionResult viewShows(const platform::fake::FakeForm& form,
                                            const platform::fake::FakeScreen& screen, long left, long top,
                                            int zoom) {
    int wrong = 0;
    std::string first;
    for (int cy = 0; cy < form.clientHeight(); ++cy) {
        for (int cx = 0; cx < form.clientWidth(); ++cx) {
            const long sx = left + cx / zoom;
            const long sy = top + cy / zoom;
            const std::uint32_t want = screenOrBlack(screen, sx, sy);
            const std::uint32_t got = form.clientPixel(cx, cy);
            if (got != want && wrong++ == 0) {
                first = "client (" + std::to_string(cx) + ", " + std::to_string(cy) + ") should show screen (" +
                        std::to_string(sx) + ", " + std::to_string(sy) + ") = " + std::to_string(want) +
                        " but is " + std::to_string(got);
            }
        }
    }
    if (wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " wrong pixels; first: " << first;
}

// Nearest integer with halves to the even neighbour, worked out independently of the program.
inline long nearestEven(double value) { return std::lrint(value); }

}  // namespace testsupport
