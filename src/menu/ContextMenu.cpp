#include "menu/ContextMenu.h"

#include <memory>
#include <string>

#include "menu/HomePage.h"
#include "menu/mcPopupMenu.h"
#include "platform/Services.h"

namespace menu {
namespace {

// Alive only while the menu is built and shown.
std::unique_ptr<mcPopupMenu> currentMenu;

std::string title(const ContextMenuHost& window) {
    const platform::AppVersion version = platform::toolkit().version();
    return window.getLang("Nagy\xC3\xADt\xC3\xB3", "Magnifier") + " v" + std::to_string(version.major) + "." +
           std::to_string(version.minor) + "." + std::to_string(version.revision);
}

}  // namespace

std::int16_t showContextMenu(const ContextMenuHost& window) {
    currentMenu = std::make_unique<mcPopupMenu>();

    mcPopupMenu& menu = *currentMenu;
    menu.Add(kCommandNone, title(window));
    menu.Add(kCommandNone, std::string("-"));
    menu.Add(kCommandEnglish, std::string("English\ten"));
    menu.Add(kCommandHungarian, std::string("Magyar\thu"));
    menu.Add(kCommandNone, std::string("-"));
    menu.Add(kCommandZoomIn, window.getLang("Nagy\xC3\xADt", "Zoom in") + "\t+");
    menu.Add(kCommandZoomOut, window.getLang("Kicsiny\xC3\xADt", "Zoom out") + "\t-");
    menu.Add(kCommandNone, std::string("-"));
    menu.Add(kCommandHomePage, homePageHost());

    const auto chosen = static_cast<std::int16_t>(menu.Show(static_cast<std::intptr_t>(window.form().hWnd()), -1, -1, -1));
    clearMenuImages();
    return chosen;
}

void clearMenuImages() { currentMenu.reset(); }

void runContextCommand(ContextMenuHost& window, std::int16_t command) {
    switch (command) {
        case kCommandEnglish: window.setLang(1); break;
        case kCommandHungarian: window.setLang(0); break;
        case kCommandZoomIn: window.stepZoom(+1); break;
        case kCommandZoomOut: window.stepZoom(-1); break;
        case kCommandHomePage: openHomePage(window.form()); break;
        default: break;
    }
}

}  // namespace menu
