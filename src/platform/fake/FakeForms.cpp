#include "platform/fake/FakeForms.h"

#include <algorithm>
#include <cmath>

#include "base/Arithmetic.h"
#include "platform/soft/DpiChange.h"

namespace platform::fake {

FakeForm::FakeForm(const FormDesign& design, FormEvents& events, FakeWindowSystem& windows,
                   soft::SoftGraphics& graphics, std::uint32_t processId, FrameExtents frame)
    : events_(events),
      windows_(windows),
      graphics_(graphics),
      margins_(frame),
      frame_(graphics),
      caption_(design.caption),
      clientWidth_(design.clientWidth),
      clientHeight_(design.clientHeight),
      client_(static_cast<std::size_t>(design.clientWidth) * design.clientHeight, 0) {
    hwnd_ = windows_.createWindow(processId, Rect{});
    syncWindowRect();
}

FakeForm::~FakeForm() { windows_.destroyWindow(hwnd_); }

void FakeForm::loadAndShow() {
    loaded_ = true;
    events_.Form_Load();
    shown_ = true;
}

void FakeForm::setCaption(const std::string& caption) {
    caption_ = caption;
    ++captionWrites_;
}

float FakeForm::Width() const { return base::pixelsToTwips(outerWidth()); }
float FakeForm::Height() const { return base::pixelsToTwips(outerHeight()); }
float FakeForm::Left() const { return base::pixelsToTwips(left_); }
float FakeForm::Top() const { return base::pixelsToTwips(top_); }

void FakeForm::setWidth(float twips) {
    resizeClient(std::max(0, base::twipsToPixels(twips) - margins_.left - margins_.right), clientHeight_);
    raiseResize();
}

void FakeForm::setHeight(float twips) {
    resizeClient(clientWidth_, std::max(0, base::twipsToPixels(twips) - margins_.top - margins_.bottom));
    raiseResize();
}

void FakeForm::setLeft(float twips) {
    left_ = base::twipsToPixels(twips);
    syncWindowRect();
}

void FakeForm::setTop(float twips) {
    top_ = base::twipsToPixels(twips);
    syncWindowRect();
}

void FakeForm::resizeClient(int width, int height) {
    if (width == clientWidth_ && height == clientHeight_) return;
    // The old picture stays in the top-left corner, as a window's content does on a resize.
    std::vector<std::uint32_t> resized(static_cast<std::size_t>(width) * height, 0);
    for (int y = 0; y < std::min(height, clientHeight_); ++y)
        for (int x = 0; x < std::min(width, clientWidth_); ++x)
            resized[static_cast<std::size_t>(y) * width + x] = client_[static_cast<std::size_t>(y) * clientWidth_ + x];
    client_ = std::move(resized);
    frame_.invalidate();
    clientWidth_ = width;
    clientHeight_ = height;
    syncWindowRect();
}

void FakeForm::syncWindowRect() {
    if (FakeWindow* w = windows_.window(hwnd_)) {
        // Minimised, the window system's rectangle is the icon's, as on Windows.
        w->rect = state_ == WINDOW_MINIMIZED ? Rect{0, 0, 160, 24}
                                             : Rect{left_, top_, left_ + outerWidth(), top_ + outerHeight()};
    }
}

void FakeForm::raiseResize() {
    ++resizeEvents_;
    events_.Form_Resize();
}

void FakeForm::PaintPicture(const PictureRef& picture, float x1, float y1, float w1, float h1, float x2, float y2,
                            float w2, float h2) {
    ++paints_;
    frame_.paint(picture, soft::StretchRect{x1, y1, w1, h1}, soft::StretchRect{x2, y2, w2, h2});
}

void FakeForm::Line(float x1, float y1, float x2, float y2, bool box) {
    lines_.push_back({x1, y1, x2, y2, box});
    frame_.line(x1, y1, x2, y2, box);
}

void FakeForm::Print(const std::string& text) {
    printed_.push_back({currentX_, currentY_, text});
    frame_.print(currentX_, currentY_, text);
}

float FakeForm::TextWidth(const std::string& text) const {
    // UTF-8 continuation bytes start no character.
    const auto characters = std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
    return static_cast<float>(characters * kFakeCharWidth);
}

void FakeForm::tick() {
    events_.Timer1_Timer();
    soft::Surface surface{client_.data(), clientWidth_, clientHeight_, clientWidth_};
    if (frame_.finish(surface, nullptr)) stats_.count();
}

void FakeForm::keyDown(std::int16_t keyCode, std::int16_t shift) { events_.Form_KeyDown(keyCode, shift); }

void FakeForm::mouseUp(std::int16_t button, float x, float y) { events_.Form_MouseUp(button, 0, x, y); }

void FakeForm::userResize(int outerWidth, int outerHeight) {
    resizeClient(std::max(0, outerWidth - margins_.left - margins_.right),
                 std::max(0, outerHeight - margins_.top - margins_.bottom));
    raiseResize();
}

void FakeForm::setWindowState(int state) {
    // Shown again after being minimized: everything is painted anew.
    if (state_ == WINDOW_MINIMIZED && state != WINDOW_MINIMIZED) frame_.invalidate();
    state_ = state;
    syncWindowRect();
    raiseResize();
}

void FakeForm::dpiChanged(const Rect& suggested) {
    const Rect placed = soft::keepPixelSize(Rect{left_, top_, left_ + outerWidth(), top_ + outerHeight()}, suggested);
    left_ = placed.left;
    top_ = placed.top;
    userResize(placed.right - placed.left, placed.bottom - placed.top);
}

bool FakeForm::close() {
    std::int16_t cancel = 0;
    events_.Form_Unload(cancel);
    if (cancel != 0) return false;
    unloaded_ = true;
    windows_.destroyWindow(hwnd_);
    return true;
}

std::uint32_t FakeForm::clientPixel(int x, int y) const {
    return client_.at(static_cast<std::size_t>(y) * clientWidth_ + x);
}

FakeToolkit::FakeToolkit(FakeScreen& screen, FakeWindowSystem& windows, soft::SoftGraphics& graphics,
                         std::uint32_t processId)
    : screen_(screen), windows_(windows), graphics_(graphics), processId_(processId) {}

std::unique_ptr<Form> FakeToolkit::createForm(const FormDesign& design, FormEvents& events) {
    auto form = std::make_unique<FakeForm>(design, events, windows_, graphics_, processId_, frame);
    last_ = form.get();
    return form;
}

}  // namespace platform::fake
