#pragma once
// The magnifier's one window: its members, start-up, resize and unload sequences, the refresh
// tick, the zoom keys and the interface language.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Zoom.h"
#include "menu/ContextMenu.h"
#include "platform/FormToolkit.h"
#include "platform/ScreenStatus.h"
#include "platform/Types.h"

namespace winsvc {
class clsStyle;
}

namespace app {

// Painted at the bottom right of the view in every language.
inline constexpr const char* kCreditLine = "\xC2\xA9 Orlenda";

class FrmMain : public platform::FormEvents, public menu::ContextMenuHost {
public:
    // Creates the window (not yet shown) with its timer.
    explicit FrmMain(platform::FormToolkit& toolkit);
    ~FrmMain() override;
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;

    // Runs the load handler and shows the window.
    void start();

    // The zoom factor: plain accessors, no range check; every writer keeps 1..18.
    std::int16_t size() const override { return mSize; }
    void setSize(std::int16_t value) override { mSize = value; }

    // 0 selects the Hungarian texts, anything else the English ones.
    std::int32_t AppLang = 0;
    // A copy of `en` unless AppLang is 0, else of `hu`.
    std::string getLang(const std::string& hu, const std::string& en) const override;

    platform::Handle hWnd() const;
    platform::Form& form() { return *mForm; }
    const platform::Form& form() const override { return *mForm; }

    // One zoom step for the keypad plus (VK_ADD) and minus (VK_SUBTRACT) keys; other keys do nothing.
    void keyZoom(std::int16_t keyCode, std::int16_t shift);
    // The pixel tools' keys: Space freezes and unfreezes the view, Escape unfreezes it; I and G
    // show and hide the pixel information line and the grid; the arrow keys move the pointer one
    // pixel, ten with Shift; Ctrl+C copies the colour's text, Ctrl+Shift+C the view's picture;
    // Ctrl+S saves the view's picture. Other keys do nothing.
    void pixelKey(std::int16_t keyCode, std::int16_t shift);
    // While frozen the view shows the picture kept at the freeze, around the same centre.
    bool frozen() const { return mFrozen != nullptr; }
    bool showsPixelInfo() const { return mPixelInfo; }
    bool showsGrid() const { return mGrid; }
    // Stores the language for the tool family, then uses it.
    void setLang(std::int32_t language) override;

    // Events.
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload(std::int16_t& cancel) override;
    void Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) override;
    void Form_MouseUp(std::int16_t button, std::int16_t shift, float x, float y) override;
    void Timer1_Timer() override;

private:
    // What a tick shows: the part of `picture` from (offsetX, offsetY) on, enlarged, with the
    // screen pixel `centre` at the view's centre, at (centreX, centreY) of the picture.
    struct ViewSource {
        platform::PictureRef picture;
        std::int32_t offsetX = 0;
        std::int32_t offsetY = 0;
        platform::Point centre{};
        std::int32_t centreX = 0;
        std::int32_t centreY = 0;
        std::int32_t pictureWidth = 0;
        std::int32_t pictureHeight = 0;
    };
    ViewSource liveView(std::int32_t width, std::int32_t height);
    ViewSource frozenView(std::int32_t width, std::int32_t height) const;
    void freeze();
    void unfreeze();
    // What the view shows now, as the next tick would show it.
    ViewSource currentView();
    // The grid between enlarged pixels and the box around the centre one, at zoom 4 and above.
    void drawGrid(const ViewSource& view);
    // The overlay texts of the pixel tools: the frozen marker and the information line, from the
    // top; returns where the next line goes.
    float printPixelTexts(const ViewSource& view);
    // What the screen's source has to say (a Wayland sharing not given, ended, or not covering
    // this monitor), from `top` down, in as many lines as the width needs.
    void printScreenNotice(float top);
    std::string screenNoticeText(platform::ScreenNotice notice) const;
    // The view's picture, enlarged, without anything drawn over it: width x height 0x00RRGGBB.
    std::vector<std::uint32_t> enlargedView(const ViewSource& view, std::int32_t width, std::int32_t height) const;
    void nudge(std::int32_t dx, std::int32_t dy);
    void copyColour();
    void copyView();
    void saveView();
    void loadPixelSettings();
    void toggleSetting(bool& value, const char* name);

    std::int16_t mSize = 0;
    std::unique_ptr<winsvc::clsStyle> mStyle;
    // Geometry is kept in 32 bits so that ordinary screens over 2184 pixels cannot overflow it.
    std::int32_t minWidth = 0;
    std::int32_t minHeight = 0;
    std::int32_t winWidth = 0;
    std::int32_t winHeight = 0;
    std::int32_t winLeft = 0;
    std::int32_t winTop = 0;
    platform::Point mCursor{};
    // The screen as zoom 1 showed it around mFrozenCentre when the view was frozen, its top-left
    // corner at mFrozenCorner; null while the view follows the pointer.
    platform::PictureRef mFrozen;
    platform::Point mFrozenCentre{};
    platform::Point mFrozenCorner{};
    platform::Point mFrozenSize{};
    bool mPixelInfo = false;
    bool mGrid = false;
    // The pointer could not be moved, and the user has been told so once.
    bool mNudgeRefusalTold = false;
    std::unique_ptr<platform::Form> mForm;
};

}  // namespace app
