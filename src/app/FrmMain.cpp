#include "app/FrmMain.h"

#include "app/Arithmetic.h"
#include "menu/ContextMenu.h"
#include "settings/Placement.h"
#include "settings/RegistryStore.h"
#include "winsvc/MouseWheel.h"
#include "winsvc/clsStyle.h"

namespace app {

FrmMain* frmMain = nullptr;

FrmMain::FrmMain(platform::FormToolkit& toolkit) {
    frmMain = this;
    platform::FormDesign design;
    design.caption = "Magnifier";
    design.clientWidth = 200;
    design.clientHeight = 200;
    design.timerIntervalMs = 10;
    form_ = toolkit.createForm(design, *this);
}

FrmMain::~FrmMain() {
    // The window goes with the form, and the wheel hook with the window.
    form_.reset();
    winsvc::forgetWheelHook();
    if (frmMain == this) frmMain = nullptr;
}

void FrmMain::start() { form_->loadAndShow(); }

platform::Handle FrmMain::hWnd() const { return form_->hWnd(); }

std::string FrmMain::getLang(const std::string& hu, const std::string& en) const { return AppLang != 0 ? en : hu; }

void FrmMain::setLang(std::int32_t language) {
    settings::saveLanguage(language);
    AppLang = language;
}

void FrmMain::keyZoom(std::int16_t keyCode, std::int16_t /*shift*/) {
    if (keyCode == VK_ADD) {
        if (size_ < kMaxZoom) size_ = static_cast<std::int16_t>(size_ + 1);
    } else if (keyCode == VK_SUBTRACT) {
        if (size_ > kMinZoom) size_ = static_cast<std::int16_t>(size_ - 1);
    }
}

void FrmMain::Form_Load() {
    // 1. The window's initial outer size is its minimum.
    minWidth_ = twipsToPixels(form_->Width());
    minHeight_ = twipsToPixels(form_->Height());
    // 2. The family's language, written straight back.
    setLang(settings::loadLanguage());
    // 3. Zoom.
    size_ = settings::restoreZoom();
    // 4. Saved size, bounded.
    settings::restoreSize(minWidth_, minHeight_, winWidth_, winHeight_);
    // 5. The minimum goes to twips before any size is written: writing the size raises the
    //    resize handler at once, and it compares in twips.
    minWidth_ = mul32(minWidth_, kTwipsPerPixel);
    minHeight_ = mul32(minHeight_, kTwipsPerPixel);
    // 6. Always set, so a first start rounds the initial size to whole pixels.
    form_->setWidth(pixelsToTwips(winWidth_));
    form_->setHeight(pixelsToTwips(winHeight_));
    // 7. Saved position, bounded to the screen.
    settings::restorePosition(*form_, winWidth_, winHeight_, winLeft_, winTop_);
    // 8. The wheel zooms.
    winsvc::hookWheel(form_->hWnd());
    // 9. Always on top.
    mStyle = std::make_unique<winsvc::clsStyle>();
    mStyle->setClient(form_.get());
    mStyle->setTopMost(true);
}

void FrmMain::Form_Resize() {
    // A maximised window is sized by the window manager, whose frame is then thinner: holding
    // it to the normal frame's minimum would undo the maximise. The rule applies again once the
    // window is restored.
    const int state = form_->WindowState();
    if (state == platform::WINDOW_MINIMIZED || state == platform::WINDOW_MAXIMIZED) return;
    // Each write raises this handler again, nested; that run already applies the rule, so each
    // dimension is written at most once.
    if (form_->Width() < static_cast<float>(minWidth_)) form_->setWidth(static_cast<float>(minWidth_));
    if (form_->Height() < static_cast<float>(minHeight_)) form_->setHeight(static_cast<float>(minHeight_));
}

void FrmMain::Form_Unload(std::int16_t& /*cancel*/) {
    settings::savePlacement(*form_, size_);
    mStyle.reset();
    frmMain = nullptr;
}

void FrmMain::Form_KeyDown(std::int16_t& keyCode, std::int16_t shift) { keyZoom(keyCode, shift); }

void FrmMain::Form_MouseUp(std::int16_t button, std::int16_t /*shift*/, float /*x*/, float /*y*/) {
    if (button != 2) return;
    menu::runContextCommand(*this, menu::showContextMenu());
}

}  // namespace app
