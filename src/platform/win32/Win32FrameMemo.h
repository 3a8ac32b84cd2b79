#pragma once
// What the last painted frame was made of: the picture's pixels and where they went, and the
// texts over them. A tick that would paint the same frame again then leaves the back buffer and
// the window alone; over a still screen that saves the stretch and the copy to the window.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace platform::win32 {

class FrameMemo {
public:
    using Geometry = std::array<float, 8>;  // PaintPicture's destination and source rectangles

    // What is on the buffer can no longer be trusted (resized, exposed, restored).
    void invalidate() { valid_ = false; }
    // A tick starts: its picture and texts are collected anew.
    void begin();
    // The tick paints the bitmap with this geometry: true when pixels and geometry equal the last
    // frame's, so the picture on the buffer can stay. `dc` is any device context.
    bool samePicture(Handle dc, Handle bitmap, const Geometry& geometry);
    // The tick prints a text: true when the frame so far still equals the last one.
    bool sameText(float x, float y, const std::string& text);
    // Whether the whole tick equals the last frame.
    bool sameAsLast() const { return same_ && texts_.size() == lastTexts_.size(); }
    // The tick ends; what it painted is the last frame from now on.
    void end();

    struct Text {
        float x, y;
        std::string text;
        bool operator==(const Text&) const = default;
    };
    const std::vector<Text>& texts() const { return texts_; }

private:
    std::vector<std::uint32_t> pixels_;
    std::vector<std::uint32_t> reading_;
    int width_ = 0, height_ = 0;
    Geometry geometry_{};
    std::vector<Text> texts_;
    std::vector<Text> lastTexts_;
    bool valid_ = false;
    bool same_ = false;      // this tick so far equals the last frame
    bool pictured_ = false;  // this tick painted a picture
};

}  // namespace platform::win32
