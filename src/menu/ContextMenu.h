#pragma once
// The magnifier's context menu: title and version, the two interface languages, zoom in and out,
// and the maker's web address; built afresh at every opening and disposed of when it closes.
#include <cstdint>

namespace app {
class FrmMain;
}

namespace menu {

// Command ids.
inline constexpr std::int16_t kCommandNone = 0;
inline constexpr std::int16_t kCommandEnglish = 1;
inline constexpr std::int16_t kCommandHungarian = 2;
inline constexpr std::int16_t kCommandZoomIn = 3;
inline constexpr std::int16_t kCommandZoomOut = 4;
inline constexpr std::int16_t kCommandHomePage = 5;

// Builds the menu, shows it at the cursor until it closes, disposes of it and returns the
// chosen command (0 for none).
std::int16_t showContextMenu();

// Releases the current menu and the picture slots.
void clearMenuImages();

// Carries out a chosen command on the window.
void runContextCommand(app::FrmMain& window, std::int16_t command);

}  // namespace menu
