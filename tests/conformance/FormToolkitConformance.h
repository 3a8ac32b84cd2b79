#pragma once
// What every back end's FormToolkit does alike, run against each of them: the in-memory toolkit
// the core's unit tests use, Qt's on an X server and the real windows under Wine.
// Include this header in one test file of a back end's test program and instantiate the suite
// there with a type that gives
//   platform::FormToolkit& toolkit();
//   bool runUntil(platform::Form& form, const std::function<bool()>& done);
//                            runs the window system (its messages and timers) until `done`
//                            holds, false when it did not within a few seconds; the in-memory
//                            toolkit has no loop of its own and ticks the form's timer instead
//   bool visible(platform::Form& form);       whether the window is on the screen
//   platform::PictureRef pattern(int width, int height);
//                            a picture whose pixel (x, y) is conformance::patternColour(x, y)
//   std::vector<std::uint32_t> clientPixels(platform::Form& form);
//                            the client area as shown, 0xRRGGBB row by row; empty if unreadable
//   void pressKey(platform::Form& form, conformance::Key key);
//   void releaseButton(platform::Form& form, int button, int x, int y);
//                            what the user does on the window (button 1 left, 2 right, 4 middle)
//   void askToClose(platform::Form& form);    the window's close button
//   int screenWidth(); int screenHeight();    the screen in pixels, as the system tells
//   static constexpr bool kDrawsText;         whether Print puts letters on the pixels
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Version.h"
#include "BackendSuite.h"
#include "platform/FormToolkit.h"

namespace conformance {

enum class Key { KeypadPlus, KeypadMinus };

// The colour of a picture's pixel: unique for each pixel of a small picture, never black or white.
inline std::uint32_t patternColour(int x, int y) {
    return 0x800000u | (static_cast<std::uint32_t>(x & 0xFF) << 8) | static_cast<std::uint32_t>(y & 0xFF);
}

// The handlers a form raises, recorded.
struct RecordedEvents : platform::FormEvents {
    std::vector<std::string> events;
    int resizes = 0;
    int ticks = 0;
    std::int16_t lastKey = 0;
    std::int16_t lastShift = -1;
    std::int16_t lastButton = 0;
    float lastX = -1;
    float lastY = -1;
    std::int16_t cancelUnload = 0;
    std::function<void()> onLoad;
    std::function<void()> onResize;
    std::function<void()> onTick;
    std::function<void()> onMouseUp;

    void Form_Load() override {
        events.push_back("load");
        if (onLoad) onLoad();
    }
    void Form_Resize() override {
        events.push_back("resize");
        ++resizes;
        if (onResize) onResize();
    }
    void Form_Unload(std::int16_t& cancel) override {
        events.push_back("unload");
        cancel = cancelUnload;
    }
    void Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) override {
        events.push_back("key");
        lastKey = keyCode;
        lastShift = shift;
    }
    void Form_MouseUp(std::int16_t button, std::int16_t shift, float x, float y) override {
        events.push_back("mouseup");
        lastButton = button;
        lastShift = shift;
        lastX = x;
        lastY = y;
        if (onMouseUp) onMouseUp();
    }
    void Timer1_Timer() override {
        ++ticks;
        if (onTick) onTick();
    }
};

template <class Backend>
class FormToolkitConformance : public BackendSuite<Backend> {
protected:
    std::unique_ptr<platform::Form> create(const std::string& caption = "Magnifier", int width = 200,
                                           int height = 200) {
        platform::FormDesign design;
        design.caption = caption;
        design.clientWidth = width;
        design.clientHeight = height;
        design.timerIntervalMs = 10;
        return this->backend.toolkit().createForm(design, events);
    }
    // Pixels of the outer size beyond the client area: the window's frame.
    static int frameWidth(const platform::Form& form) {
        return static_cast<int>(form.Width() / 15) - static_cast<int>(form.ScaleWidth());
    }
    static int frameHeight(const platform::Form& form) {
        return static_cast<int>(form.Height() / 15) - static_cast<int>(form.ScaleHeight());
    }

    RecordedEvents events;
};

TYPED_TEST_SUITE_P(FormToolkitConformance);

TYPED_TEST_P(FormToolkitConformance, ANewFormHasItsDesignedClientAndCaptionAndRaisesNothing) {
    const auto form = this->create("Nagy\xC3\xADt\xC3\xB3");
    ASSERT_TRUE(form);
    EXPECT_NE(form->hWnd(), 0u);
    EXPECT_FALSE(this->backend.visible(*form)) << "shown before the load handler ran";
    EXPECT_EQ(form->ScaleWidth(), 200.0f);
    EXPECT_EQ(form->ScaleHeight(), 200.0f);
    EXPECT_EQ(form->Caption(), "Nagy\xC3\xADt\xC3\xB3");
    EXPECT_EQ(form->WindowState(), platform::WINDOW_NORMAL);
    EXPECT_TRUE(this->events.events.empty()) << "events before the load: " << this->events.events.size();

    RecordedEvents otherEvents;
    platform::FormDesign design;
    design.caption = "Other";
    design.clientWidth = 230;
    design.clientHeight = 170;
    const auto other = this->backend.toolkit().createForm(design, otherEvents);
    EXPECT_EQ(other->ScaleWidth(), 230.0f);
    EXPECT_EQ(other->ScaleHeight(), 170.0f);
    EXPECT_NE(other->hWnd(), form->hWnd());
}

TYPED_TEST_P(FormToolkitConformance, TheLoadHandlerRunsBeforeTheWindowIsShown) {
    const auto form = this->create();
    bool visibleDuringLoad = true;
    this->events.onLoad = [&] { visibleDuringLoad = this->backend.visible(*form); };
    form->loadAndShow();
    EXPECT_FALSE(visibleDuringLoad);
    EXPECT_TRUE(this->backend.runUntil(*form, [&] { return this->backend.visible(*form); }));
    ASSERT_FALSE(this->events.events.empty());
    EXPECT_EQ(this->events.events.front(), "load");
}

TYPED_TEST_P(FormToolkitConformance, WritingWidthOrHeightRaisesResizeInsideTheWrite) {
    const auto form = this->create();
    form->loadAndShow();
    this->backend.runUntil(*form, [&] { return this->backend.visible(*form); });
    const int frameWidth = this->frameWidth(*form);
    const int frameHeight = this->frameHeight(*form);
    EXPECT_GE(frameWidth, 0);
    EXPECT_GE(frameHeight, 0);

    const int before = this->events.resizes;
    form->setWidth(300 * 15);
    EXPECT_EQ(this->events.resizes, before + 1);
    EXPECT_EQ(form->Width(), 300.0f * 15);
    EXPECT_EQ(form->ScaleWidth(), static_cast<float>(300 - frameWidth)) << "the frame stays as it was";
    form->setHeight(280 * 15);
    EXPECT_EQ(this->events.resizes, before + 2);
    EXPECT_EQ(form->Height(), 280.0f * 15);
    EXPECT_EQ(form->ScaleHeight(), static_cast<float>(280 - frameHeight));
    // The same size again: still one resize event.
    form->setWidth(300 * 15);
    EXPECT_EQ(this->events.resizes, before + 3);
    EXPECT_EQ(form->Width(), 300.0f * 15);
}

// As the program places its window at start-up: before it is shown.
TYPED_TEST_P(FormToolkitConformance, AFormMovedBeforeItIsShownAppearsThere) {
    const auto form = this->create();
    const float width = form->Width();
    const float height = form->Height();
    form->setLeft(70 * 15);
    form->setTop(80 * 15);
    EXPECT_EQ(form->Left(), 70.0f * 15);
    EXPECT_EQ(form->Top(), 80.0f * 15);
    form->loadAndShow();
    // A window manager may take its time.
    EXPECT_TRUE(this->backend.runUntil(*form, [&] {
        return this->backend.visible(*form) && form->Left() == 70 * 15 && form->Top() == 80 * 15;
    })) << "at " << form->Left() << ", " << form->Top() << " twips";
    EXPECT_EQ(form->Width(), width) << "moving changed the size";
    EXPECT_EQ(form->Height(), height);
}

TYPED_TEST_P(FormToolkitConformance, CaptionAndPrintPositionAreKept) {
    const auto form = this->create();
    form->setCaption("Magnifier [3:1]");
    EXPECT_EQ(form->Caption(), "Magnifier [3:1]");
    form->setCaption("Nagy\xC3\xADt\xC3\xB3 [3:1]");
    EXPECT_EQ(form->Caption(), "Nagy\xC3\xADt\xC3\xB3 [3:1]");
    form->setCurrentX(2);
    form->setCurrentY(186.5f);
    EXPECT_EQ(form->CurrentX(), 2.0f);
    EXPECT_EQ(form->CurrentY(), 186.5f);
}

TYPED_TEST_P(FormToolkitConformance, TheTimerTicksWhileTheFormLives) {
    const auto form = this->create();
    form->loadAndShow();
    EXPECT_TRUE(this->backend.runUntil(*form, [&] { return this->events.ticks >= 3; }))
        << this->events.ticks << " ticks";
}

TYPED_TEST_P(FormToolkitConformance, KeysAndButtonsBecomeEvents) {
    const auto form = this->create();
    form->loadAndShow();
    this->backend.runUntil(*form, [&] { return this->backend.visible(*form); });
    this->backend.pressKey(*form, Key::KeypadPlus);
    EXPECT_TRUE(this->backend.runUntil(*form, [&] { return this->events.lastKey == platform::VK_ADD; }))
        << "key " << this->events.lastKey;
    this->backend.pressKey(*form, Key::KeypadMinus);
    EXPECT_TRUE(this->backend.runUntil(*form, [&] { return this->events.lastKey == platform::VK_SUBTRACT; }))
        << "key " << this->events.lastKey;
    this->backend.releaseButton(*form, platform::vbRightButton, 12, 34);
    EXPECT_TRUE(this->backend.runUntil(*form, [&] { return this->events.lastButton == platform::vbRightButton; }));
    EXPECT_EQ(this->events.lastX, 12.0f);
    EXPECT_EQ(this->events.lastY, 34.0f);
    this->backend.releaseButton(*form, platform::vbLeftButton, 5, 6);
    EXPECT_TRUE(this->backend.runUntil(*form, [&] { return this->events.lastButton == platform::vbLeftButton; }));
    EXPECT_EQ(this->events.lastX, 5.0f);
    EXPECT_EQ(this->events.lastY, 6.0f);
    this->backend.releaseButton(*form, platform::vbMiddleButton, 7, 8);
    EXPECT_TRUE(this->backend.runUntil(*form, [&] { return this->events.lastButton == platform::vbMiddleButton; }));
}

TYPED_TEST_P(FormToolkitConformance, CancellingTheUnloadKeepsTheWindow) {
    const auto form = this->create();
    form->loadAndShow();
    this->backend.runUntil(*form, [&] { return this->backend.visible(*form); });
    this->events.cancelUnload = 1;
    this->backend.askToClose(*form);
    EXPECT_TRUE(this->backend.runUntil(*form, [&] { return this->events.events.back() == "unload"; }));
    EXPECT_TRUE(this->backend.visible(*form));
    this->events.cancelUnload = 0;
    this->backend.askToClose(*form);
    EXPECT_TRUE(this->backend.runUntil(*form, [&] { return !this->backend.visible(*form); }));
    EXPECT_EQ(std::count(this->events.events.begin(), this->events.events.end(), "unload"), 2);
}

TYPED_TEST_P(FormToolkitConformance, PaintPictureShowsEachSourcePixelAsAZoomByZoomBlock) {
    const auto form = this->create();
    // Away from the top-left corner, where a picture of the screen would come from.
    form->setLeft(600 * 15);
    form->setTop(400 * 15);
    form->loadAndShow();
    const int width = static_cast<int>(form->ScaleWidth());
    const int height = static_cast<int>(form->ScaleHeight());
    const platform::PictureRef picture = this->backend.pattern(width, height);
    ASSERT_TRUE(picture);

    for (const int zoom : {1, 2, 3, 7, 18}) {
        int painted = 0;
        this->events.onTick = [&] {
            form->PaintPicture(picture, 0, 0, static_cast<float>(width), static_cast<float>(height), 0, 0,
                               static_cast<float>(static_cast<double>(width) / zoom),
                               static_cast<float>(static_cast<double>(height) / zoom));
            form->setCurrentX(2);
            form->setCurrentY(static_cast<float>(height - 14));
            form->Print("Zoom: [+] & [-]");
            ++painted;
        };
        std::string mismatch;
        const bool shown = this->backend.runUntil(*form, [&] {
            if (painted < 2) return false;
            const std::vector<std::uint32_t> pixels = this->backend.clientPixels(*form);
            if (pixels.size() != static_cast<std::size_t>(width) * height) {
                mismatch = "cannot read the client area";
                return false;
            }
            int wrong = 0;
            mismatch.clear();
            // The text is painted over the bottom rows.
            for (int y = 0; y < height - 20; ++y) {
                for (int x = 0; x < width; ++x) {
                    const std::uint32_t expected = patternColour(x / zoom, y / zoom);
                    const std::uint32_t seen = pixels[static_cast<std::size_t>(y) * width + x];
                    if (seen != expected && wrong++ == 0) {
                        mismatch = "client (" + std::to_string(x) + "," + std::to_string(y) + ") is " +
                                   std::to_string(seen) + ", expected " + std::to_string(expected);
                    }
                }
            }
            if (wrong != 0) mismatch += " (" + std::to_string(wrong) + " pixels differ)";
            return wrong == 0;
        });
        EXPECT_TRUE(shown) << "zoom " << zoom << ": " << mismatch;
        if constexpr (TypeParam::kDrawsText) {
            // The text is there: white and dark pixels in the bottom rows, which the picture has
            // neither of (near white and near black: letters may have soft edges). Its letters may
            // take a moment to be made.
            const auto channels = [](std::uint32_t p, auto test) {
                return test(p >> 16 & 0xFF) && test(p >> 8 & 0xFF) && test(p & 0xFF);
            };
            int white = 0, dark = 0;
            const bool printed = this->backend.runUntil(*form, [&] {
                const std::vector<std::uint32_t> pixels = this->backend.clientPixels(*form);
                white = dark = 0;
                for (int y = height - 16; y < height && !pixels.empty(); ++y)
                    for (int x = 0; x < width; ++x) {
                        const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
                        white += channels(p, [](std::uint32_t c) { return c >= 0xE0; });
                        dark += channels(p, [](std::uint32_t c) { return c <= 0x20; });
                    }
                return white > 20 && dark > 20;
            });
            EXPECT_TRUE(printed) << "zoom " << zoom << ": " << white << " white and " << dark << " dark pixels";
        }
    }
}

TYPED_TEST_P(FormToolkitConformance, LinesAndBoxesAreBlackAndWhiteByTurnsOverThePicture) {
    const auto form = this->create();
    form->setLeft(600 * 15);
    form->setTop(400 * 15);
    form->loadAndShow();
    const int width = static_cast<int>(form->ScaleWidth());
    const int height = static_cast<int>(form->ScaleHeight());
    const platform::PictureRef picture = this->backend.pattern(width, height);
    ASSERT_TRUE(picture);
    int painted = 0;
    this->events.onTick = [&] {
        form->PaintPicture(picture, 0, 0, static_cast<float>(width), static_cast<float>(height), 0, 0,
                           static_cast<float>(width), static_cast<float>(height));
        form->Line(10, 0, 10, static_cast<float>(height - 1), false);
        form->Line(0, 20, static_cast<float>(width - 1), 20, false);
        form->Line(40, 40, 60, 50, true);
        ++painted;
    };
    const auto onLine = [](int x, int y) {
        const bool box = x >= 40 && x <= 60 && y >= 40 && y <= 50 && (x == 40 || x == 60 || y == 40 || y == 50);
        return x == 10 || y == 20 || box;
    };
    std::string mismatch;
    const bool shown = this->backend.runUntil(*form, [&] {
        if (painted < 2) return false;
        const std::vector<std::uint32_t> pixels = this->backend.clientPixels(*form);
        if (pixels.size() != static_cast<std::size_t>(width) * height) return false;
        mismatch.clear();
        for (int y = 0; y < height && mismatch.empty(); ++y) {
            for (int x = 0; x < width && mismatch.empty(); ++x) {
                const std::uint32_t expected =
                    onLine(x, y) ? (((x + y) & 1) != 0 ? 0xFFFFFFu : 0u) : patternColour(x, y);
                const std::uint32_t seen = pixels[static_cast<std::size_t>(y) * width + x];
                if (seen != expected)
                    mismatch = "client (" + std::to_string(x) + "," + std::to_string(y) + ") is " +
                               std::to_string(seen) + ", expected " + std::to_string(expected);
            }
        }
        return mismatch.empty();
    });
    EXPECT_TRUE(shown) << mismatch;
}

TYPED_TEST_P(FormToolkitConformance, TheScreenSizeIsInTwipsAndTheVersionIsTheProgramsOwn) {
    auto& toolkit = this->backend.toolkit();
    EXPECT_EQ(toolkit.ScreenWidth(), static_cast<float>(this->backend.screenWidth() * 15));
    EXPECT_EQ(toolkit.ScreenHeight(), static_cast<float>(this->backend.screenHeight() * 15));
    const platform::AppVersion version = toolkit.version();
    EXPECT_EQ(version.major, base::kVersionMajor);
    EXPECT_EQ(version.minor, base::kVersionMinor);
    EXPECT_EQ(version.revision, base::kVersionPatch);
}

REGISTER_TYPED_TEST_SUITE_P(FormToolkitConformance, ANewFormHasItsDesignedClientAndCaptionAndRaisesNothing,
                            TheLoadHandlerRunsBeforeTheWindowIsShown, WritingWidthOrHeightRaisesResizeInsideTheWrite,
                            AFormMovedBeforeItIsShownAppearsThere, CaptionAndPrintPositionAreKept,
                            TheTimerTicksWhileTheFormLives, KeysAndButtonsBecomeEvents,
                            CancellingTheUnloadKeepsTheWindow, PaintPictureShowsEachSourcePixelAsAZoomByZoomBlock,
                            LinesAndBoxesAreBlackAndWhiteByTurnsOverThePicture,
                            TheScreenSizeIsInTwipsAndTheVersionIsTheProgramsOwn);

}  // namespace conformance
