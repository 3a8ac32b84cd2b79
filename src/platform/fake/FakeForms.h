#pragma once
// An in-memory form toolkit: forms with a frame of fixed size around the client area, events a
// test raises by hand, and a client area whose painted pixels and printed texts can be read.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Arithmetic.h"
#include "base/Version.h"
#include "platform/FormToolkit.h"
#include "platform/fake/FakeScreen.h"
#include "platform/fake/FakeWindowSystem.h"
#include "platform/soft/FrameStats.h"
#include "platform/soft/SoftGraphics.h"
#include "platform/soft/ViewFrame.h"

namespace platform::fake {

struct PrintedText {
    float x;
    float y;
    std::string text;
};

class FakeForm : public Form {
public:
    FakeForm(const FormDesign& design, FormEvents& events, FakeWindowSystem& windows, soft::SoftGraphics& graphics,
             std::uint32_t processId, FrameExtents frame);
    ~FakeForm() override;

    void loadAndShow() override;
    std::string Caption() const override { return caption_; }
    void setCaption(const std::string& caption) override;
    float Width() const override;
    void setWidth(float twips) override;
    float Height() const override;
    void setHeight(float twips) override;
    float Left() const override;
    void setLeft(float twips) override;
    float Top() const override;
    void setTop(float twips) override;
    int WindowState() const override { return state_; }
    Handle hWnd() const override { return hwnd_; }
    float ScaleWidth() const override { return static_cast<float>(clientWidth_); }
    float ScaleHeight() const override { return static_cast<float>(clientHeight_); }
    float CurrentX() const override { return currentX_; }
    void setCurrentX(float x) override { currentX_ = x; }
    float CurrentY() const override { return currentY_; }
    void setCurrentY(float y) override { currentY_ = y; }
    void PaintPicture(const PictureRef& picture, float x1, float y1, float w1, float h1, float x2, float y2, float w2,
                      float h2) override;
    void Line(float x1, float y1, float x2, float y2, bool box) override;
    void Print(const std::string& text) override;
    // Every character, accented ones too, is kFakeCharWidth pixels wide.
    float TextWidth(const std::string& text) const override;
    static constexpr int kFakeCharWidth = 6;

    // What a user or the system does; each raises the events the real toolkit would.
    // A tick; what it drew reaches the client area at its end, when it changes anything there.
    void tick();
    // The window system asks for the whole client area again (uncovered, restacked).
    void expose() { frame_.invalidate(); }
    void keyDown(std::int16_t keyCode, std::int16_t shift = 0);
    void mouseUp(std::int16_t button, float x = 10, float y = 10);
    // Dragging a frame edge: the outer size in pixels.
    void userResize(int outerWidth, int outerHeight);
    void setWindowState(int state);
    // The monitor's DPI changed and the system suggests this outer rectangle, in pixels.
    void dpiChanged(const Rect& suggested);
    // Closing; false when the handler cancelled.
    bool close();

    // What can be seen.
    bool loaded() const { return loaded_; }
    bool shown() const { return shown_; }
    bool unloaded() const { return unloaded_; }
    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    int outerWidth() const { return clientWidth_ + margins_.left + margins_.right; }
    int outerHeight() const { return clientHeight_ + margins_.top + margins_.bottom; }
    std::uint32_t clientPixel(int x, int y) const;
    // Texts printed since the last clearPrinted().
    const std::vector<PrintedText>& printed() const { return printed_; }
    // Lines drawn since the last clearPrinted().
    struct DrawnLine {
        float x1, y1, x2, y2;
        bool box;
    };
    const std::vector<DrawnLine>& lines() const { return lines_; }
    void clearPrinted() {
        printed_.clear();
        lines_.clear();
    }
    int captionWrites() const { return captionWrites_; }
    int resizeEvents() const { return resizeEvents_; }
    int paints() const { return paints_; }
    // Ticks that changed the client area.
    int frames() const { return static_cast<int>(stats_.frames()); }

private:
    void resizeClient(int width, int height);
    void syncWindowRect();
    void raiseResize();

    FormEvents& events_;
    FakeWindowSystem& windows_;
    soft::SoftGraphics& graphics_;
    FrameExtents margins_;
    soft::ViewFrame frame_;
    Handle hwnd_ = 0;
    std::string caption_;
    int clientWidth_;
    int clientHeight_;
    int left_ = 40;  // outer position in pixels
    int top_ = 30;
    int state_ = WINDOW_NORMAL;
    float currentX_ = 0;
    float currentY_ = 0;
    std::vector<std::uint32_t> client_;
    std::vector<PrintedText> printed_;
    std::vector<DrawnLine> lines_;
    bool loaded_ = false;
    bool shown_ = false;
    bool unloaded_ = false;
    int captionWrites_ = 0;
    int resizeEvents_ = 0;
    int paints_ = 0;
    soft::FrameStats stats_;
};

class FakeToolkit : public FormToolkit {
public:
    FakeToolkit(FakeScreen& screen, FakeWindowSystem& windows, soft::SoftGraphics& graphics, std::uint32_t processId);

    std::unique_ptr<Form> createForm(const FormDesign& design, FormEvents& events) override;
    float ScreenWidth() const override { return base::pixelsToTwips(screen_.width()); }
    float ScreenHeight() const override { return base::pixelsToTwips(screen_.height()); }
    AppVersion version() const override {
        return AppVersion{base::kVersionMajor, base::kVersionMinor, base::kVersionPatch};
    }
    int run() override { return 0; }

    // The form made last (owned by whoever asked for it).
    FakeForm* lastForm() const { return last_; }
    // The frame of the forms made from now on: a title bar and thin borders, as a desktop's.
    FrameExtents frame{8, 8, 31, 8};

private:
    FakeScreen& screen_;
    FakeWindowSystem& windows_;
    soft::SoftGraphics& graphics_;
    std::uint32_t processId_;
    FakeForm* last_ = nullptr;
};

}  // namespace platform::fake
