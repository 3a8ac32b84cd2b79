// The Wayland capture's parts that need no compositor: placing stream frames on the screen,
// pixel layouts, the pointer from cursor metadata, the restore token's storage and the choice
// of capture by session.
#include <gtest/gtest.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/raw.h>

#include <map>
#include <string>
#include <vector>

#include "base/SettingsKeys.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/linux/screencast/CaptureChoice.h"
#include "platform/linux/screencast/FrameCanvas.h"
#include "platform/linux/screencast/RestoreToken.h"
#include "platform/linux/screencast/SpaFrames.h"

namespace platform::linux_::screencast {
namespace {

// A BGRx frame whose pixel (x, y) is 0x00RRGGBB = base + y * 256 + x.
std::vector<std::uint8_t> bgrxFrame(int width, int height, std::uint32_t base, int stride) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stride) * height, 0xEE);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = base + static_cast<std::uint32_t>(y * 256 + x);
            std::uint8_t* at = &bytes[static_cast<std::size_t>(y) * stride + x * 4];
            at[0] = p & 0xFF;
            at[1] = p >> 8 & 0xFF;
            at[2] = p >> 16 & 0xFF;
            at[3] = 0x80;  // alpha, which the view drops
        }
    }
    return bytes;
}

std::vector<std::uint32_t> readCanvas(const FrameCanvas& canvas, int x, int y, int width, int height) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0xDEADBEEF);
    canvas.read(x, y, soft::Surface{pixels.data(), width, height, width});
    return pixels;
}

StreamFrame frameOf(const std::vector<std::uint8_t>& bytes, int width, int height, int stride,
                    StreamFormat format = StreamFormat::BGRx) {
    return StreamFrame{bytes.data(), width, height, stride, format};
}

TEST(FrameCanvas, PlacesEachMonitorsFrameAtItsPositionAndLeavesTheRestBlack) {
    // Two monitors side by side, the right one lower and smaller.
    FrameCanvas canvas({{41, 0, 0, 4, 3}, {42, 4, 1, 2, 2}});
    ASSERT_EQ(canvas.width(), 6);
    ASSERT_EQ(canvas.height(), 3);
    const auto left = bgrxFrame(4, 3, 0x100000, 4 * 4 + 8);  // rows padded beyond the width
    const auto right = bgrxFrame(2, 2, 0x200000, 2 * 4);
    EXPECT_EQ(readCanvas(canvas, 0, 0, 6, 3), std::vector<std::uint32_t>(18, 0u));  // no frame yet: black
    canvas.setFrame(0, frameOf(left, 4, 3, 4 * 4 + 8));
    canvas.setFrame(1, frameOf(right, 2, 2, 2 * 4, StreamFormat::BGRA));
    const std::vector<std::uint32_t> expected = {
        0x100000, 0x100001, 0x100002, 0x100003, 0,        0,         // no monitor above the right one
        0x100100, 0x100101, 0x100102, 0x100103, 0x200000, 0x200001,  //
        0x100200, 0x100201, 0x100202, 0x100203, 0x200100, 0x200101,
    };
    EXPECT_EQ(readCanvas(canvas, 0, 0, 6, 3), expected);
    EXPECT_EQ(readCanvas(canvas, 3, 1, 2, 2), (std::vector<std::uint32_t>{0x100103, 0x200000, 0x100203, 0x200100}));
    // Reads beyond the screen (a read racing a resize) are black, not out of bounds.
    EXPECT_EQ(readCanvas(canvas, 5, 2, 2, 2), (std::vector<std::uint32_t>{0x200101, 0, 0, 0}));
    canvas.setFrame(1, std::nullopt);  // its buffer went back to PipeWire
    EXPECT_EQ(readCanvas(canvas, 4, 1, 1, 1).front(), 0u);
}

TEST(FrameCanvas, CutsFramesToTheirAreaAndToTheScreen) {
    // A monitor left of and above the origin shows only its part on the screen; a frame smaller
    // than its stream's area (rows not in memory) leaves the rest black.
    FrameCanvas canvas({{1, -2, -1, 4, 3}, {2, 2, 0, 1, 2}});
    ASSERT_EQ(canvas.width(), 3);
    ASSERT_EQ(canvas.height(), 2);
    const auto first = bgrxFrame(4, 3, 0x010000, 16);
    const auto second = bgrxFrame(1, 1, 0x020000, 4);
    canvas.setFrame(0, frameOf(first, 4, 3, 16));
    canvas.setFrame(1, frameOf(second, 1, 1, 4));
    canvas.setFrame(7, frameOf(second, 1, 1, 4));  // no such stream: ignored
    EXPECT_EQ(readCanvas(canvas, 0, 0, 3, 2),
              (std::vector<std::uint32_t>{0x010102, 0x010103, 0x020000, 0x010202, 0x010203, 0}));
}

TEST(FrameCanvas, PlacesScaledMonitorsInTheirFramesPixels) {
    // A logical layout: two monitors at scale 2 side by side, reported as 960x540 each, and one
    // at scale 1.5 below them. Frames and the pointer come in real pixels.
    FrameCanvas canvas({{1, 0, 0, 960, 540}, {2, 960, 0, 960, 540}, {3, 0, 540, 1280, 720}});
    EXPECT_EQ(canvas.width(), 1920);  // before the formats are known: the reported sizes
    canvas.setFrameSize(0, 1920, 1080);
    canvas.setFrameSize(1, 1920, 1080);
    canvas.setFrameSize(2, 1920, 1080);
    EXPECT_EQ(canvas.width(), 3840);
    EXPECT_EQ(canvas.height(), 1890);
    EXPECT_EQ(canvas.toScreen(1, 10, 20)->x, 1930);
    EXPECT_EQ(canvas.toScreen(2, 5, 6)->y, 816);  // 540 * 1.5 + 6
    const auto pixels = bgrxFrame(3, 2, 0x300000, 12);
    canvas.setFrame(1, frameOf(pixels, 3, 2, 12));
    EXPECT_EQ(readCanvas(canvas, 1919, 1, 3, 1), (std::vector<std::uint32_t>{0, 0x300100, 0x300101}));
    // The same size as reported: a physical layout, where nothing is scaled.
    FrameCanvas physical({{1, 1920, 200, 1280, 1024}});
    physical.setFrameSize(0, 1280, 1024);
    EXPECT_EQ(physical.toScreen(0, 10, 20)->x, 1930);
    EXPECT_EQ(physical.height(), 1224);
    EXPECT_FALSE(physical.toScreen(1, 0, 0).has_value());
}

TEST(PixelFormats, EveryOfferedLayoutGivesTheSameViewPixel) {
    // The colour 0x123456 with alpha 0x80, in each layout's byte order.
    const std::map<StreamFormat, std::vector<std::uint8_t>> bytes = {
        {StreamFormat::BGRx, {0x56, 0x34, 0x12, 0x00}},
        {StreamFormat::BGRA, {0x56, 0x34, 0x12, 0x80}},
        {StreamFormat::RGBx, {0x12, 0x34, 0x56, 0x00}},
        {StreamFormat::RGBA, {0x12, 0x34, 0x56, 0x80}},
    };
    for (const auto& [format, pixel] : bytes) {
        std::uint32_t converted = 0;
        convertPixels(format, pixel.data(), &converted, 1);
        EXPECT_EQ(converted, 0x123456u) << static_cast<int>(format);
        FrameCanvas canvas({{1, 0, 0, 1, 1}});
        canvas.setFrame(0, frameOf(pixel, 1, 1, 4, format));
        EXPECT_EQ(readCanvas(canvas, 0, 0, 1, 1).front(), 0x123456u) << static_cast<int>(format);
    }
    EXPECT_EQ(pixelFormatFromSpa(SPA_VIDEO_FORMAT_BGRx), StreamFormat::BGRx);
    EXPECT_EQ(pixelFormatFromSpa(SPA_VIDEO_FORMAT_RGBA), StreamFormat::RGBA);
    EXPECT_FALSE(pixelFormatFromSpa(SPA_VIDEO_FORMAT_RGB).has_value());  // 24-bit: not taken
    EXPECT_FALSE(pixelFormatFromSpa(SPA_VIDEO_FORMAT_NV12).has_value());
}

// A buffer with the given metadata blocks and no picture.
struct MetaBuffer {
    explicit MetaBuffer(std::vector<spa_meta> metas) : metas_(std::move(metas)) {
        buffer.n_metas = static_cast<std::uint32_t>(metas_.size());
        buffer.metas = metas_.data();
    }
    spa_buffer buffer{};

private:
    std::vector<spa_meta> metas_;
};

TEST(CursorMetadata, GivesThePositionOfAValidCursorOnly) {
    spa_meta_cursor cursor{};
    cursor.id = 1;
    cursor.position = {317, 42};
    MetaBuffer withCursor({{SPA_META_Header, 0, nullptr}, {SPA_META_Cursor, sizeof cursor, &cursor}});
    const auto position = cursorFromBuffer(withCursor.buffer);
    ASSERT_TRUE(position.has_value());
    EXPECT_EQ(position->x, 317);
    EXPECT_EQ(position->y, 42);

    cursor.id = 0;  // the pointer is off this monitor or hidden
    EXPECT_FALSE(cursorFromBuffer(withCursor.buffer).has_value());
    cursor.id = 1;
    MetaBuffer tooSmall({{SPA_META_Cursor, sizeof cursor - 1, &cursor}});
    EXPECT_FALSE(cursorFromBuffer(tooSmall.buffer).has_value());
    EXPECT_TRUE(hasCursorMeta(withCursor.buffer));
    MetaBuffer none({});
    EXPECT_FALSE(cursorFromBuffer(none.buffer).has_value());
    EXPECT_FALSE(hasCursorMeta(none.buffer));  // says nothing of where the pointer is
    EXPECT_GE(cursorMetaSize(384, 384), 384u * 384u * 4u + sizeof(spa_meta_cursor));
}

const std::string kProgramKey = base::programKeyPath();

TEST(RestoreToken, IsAStringBesideTheOtherSettings) {
    fake::FakeRegistry registry;
    EXPECT_EQ(loadRestoreToken(registry), "");  // first run: no key at all
    ASSERT_EQ(saveRestoreToken(registry, "5f1c7a2e-token"), ERROR_SUCCESS);
    const auto stored = registry.get(kProgramKey, "ScreenCastRestoreToken");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, REG_SZ);
    EXPECT_EQ(std::string(stored->data.begin(), stored->data.end()), std::string("5f1c7a2e-token\0", 15));
    EXPECT_EQ(loadRestoreToken(registry), "5f1c7a2e-token");
    EXPECT_EQ(registry.openKeys(), 0u);
}

TEST(RestoreToken, AValueThatIsNoSensibleTokenReadsAsNone) {
    fake::FakeRegistry registry;
    registry.put(kProgramKey, "ScreenCastRestoreToken", {REG_BINARY, {'a', 'b', 0}});
    EXPECT_EQ(loadRestoreToken(registry), "");
    registry.put(kProgramKey, "ScreenCastRestoreToken", {REG_SZ, {'a', '\n', 'b', 0}});
    EXPECT_EQ(loadRestoreToken(registry), "");
    registry.put(kProgramKey, "ScreenCastRestoreToken", {REG_SZ, std::vector<std::uint8_t>(600, 'x')});
    EXPECT_EQ(loadRestoreToken(registry), "");
    registry.failSet = ERROR_ACCESS_DENIED;
    EXPECT_EQ(saveRestoreToken(registry, "t"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.openKeys(), 0u);
}

CaptureChoice choose(std::map<std::string, std::string> env) {
    return chooseCapture([&](const char* name) -> const char* {
        const auto it = env.find(name);
        return it != env.end() ? it->second.c_str() : nullptr;
    });
}

TEST(CaptureChoice, WaylandSessionsUseThePortalUnlessTold) {
    EXPECT_EQ(choose({}).kind, CaptureKind::X11);
    EXPECT_EQ(choose({{"WAYLAND_DISPLAY", "wayland-0"}}).kind, CaptureKind::Portal);
    EXPECT_EQ(choose({{"XDG_SESSION_TYPE", "wayland"}}).kind, CaptureKind::Portal);
    EXPECT_EQ(choose({{"XDG_SESSION_TYPE", "x11"}, {"WAYLAND_DISPLAY", ""}}).kind, CaptureKind::X11);
    EXPECT_EQ(choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"MAGNIFIER_CAPTURE", "x11"}}).kind, CaptureKind::X11);
    EXPECT_EQ(choose({{"MAGNIFIER_CAPTURE", "portal"}}).kind, CaptureKind::Portal);
    const CaptureChoice bad = choose({{"MAGNIFIER_CAPTURE", "vnc"}, {"WAYLAND_DISPLAY", "w"}});
    EXPECT_EQ(bad.kind, CaptureKind::Portal);
    EXPECT_EQ(bad.complaint, "MAGNIFIER_CAPTURE=vnc is not x11 or portal; choosing by the session");
    EXPECT_EQ(choose({}).complaint, "");
}

}  // namespace
}  // namespace platform::linux_::screencast
