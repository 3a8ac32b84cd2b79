#pragma once
// The magnifier's one window: its members, start-up, resize and unload sequences, the refresh
// tick, the zoom keys and the interface language.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/FormToolkit.h"
#include "platform/Types.h"

namespace winsvc {
class clsStyle;
}

namespace app {

// Painted at the bottom right of the view in every language.
inline constexpr const char* kCreditLine = "\xC2\xA9 Orlenda";
inline constexpr std::int16_t kMinZoom = 1;
inline constexpr std::int16_t kMaxZoom = 18;
inline constexpr std::int16_t VK_ADD = 107;
inline constexpr std::int16_t VK_SUBTRACT = 109;

class FrmMain : public platform::FormEvents {
public:
    // Creates the window (not yet shown) with its timer; makes this the global frmMain.
    explicit FrmMain(platform::FormToolkit& toolkit);
    ~FrmMain() override;
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;

    // Runs the load handler and shows the window.
    void start();

    // The zoom factor: plain accessors, no range check; every writer keeps 1..18.
    std::int16_t size() const { return size_; }
    void setSize(std::int16_t value) { size_ = value; }

    // 0 selects the Hungarian texts, anything else the English ones.
    std::int32_t AppLang = 0;
    // A copy of `en` unless AppLang is 0, else of `hu`.
    std::string getLang(const std::string& hu, const std::string& en) const;

    platform::Handle hWnd() const;
    platform::Form& form() { return *form_; }
    const platform::Form& form() const { return *form_; }

    // One zoom step for the keypad plus (107) and minus (109) keys; other keys do nothing.
    void keyZoom(std::int16_t keyCode, std::int16_t shift);
    // Stores the language for the tool family, then uses it.
    void setLang(std::int32_t language);

    // Events.
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload(std::int16_t& cancel) override;
    void Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) override;
    void Form_MouseUp(std::int16_t button, std::int16_t shift, float x, float y) override;
    void Timer1_Timer() override;

    // The start-up minimum, in twips once start-up has run.
    std::int32_t minWidth() const { return minWidth_; }
    std::int32_t minHeight() const { return minHeight_; }

private:
    std::int16_t size_ = 0;
    std::unique_ptr<winsvc::clsStyle> mStyle;
    // Geometry is kept in 32 bits so that ordinary screens over 2184 pixels cannot overflow it.
    std::int32_t minWidth_ = 0;
    std::int32_t minHeight_ = 0;
    std::int32_t winWidth_ = 0;
    std::int32_t winHeight_ = 0;
    std::int32_t winLeft_ = 0;
    std::int32_t winTop_ = 0;
    platform::Point cursor_{};
    std::unique_ptr<platform::Form> form_;
};

// The one window object; cleared at unload.
extern FrmMain* frmMain;

}  // namespace app
