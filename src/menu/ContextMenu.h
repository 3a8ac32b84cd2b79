#pragma once
// The magnifier's context menu: title and version, the two interface languages, zoom in and out,
// and the maker's web address; built afresh at every opening and disposed of when it closes.
#include <cstdint>
#include <string>

#include "base/Zoom.h"
#include "platform/FormToolkit.h"

namespace menu {

// What the menu needs of the window it belongs to: its zoom, its language and the form itself
// (the owner of the menu and of the browser it starts).
class ContextMenuHost : public base::ZoomControl {
public:
    // `en` unless the language selector is 0, else `hu`.
    virtual std::string getLang(const std::string& hu, const std::string& en) const = 0;
    // Stores the language for the tool family, then uses it.
    virtual void setLang(std::int32_t language) = 0;
    virtual const platform::Form& form() const = 0;

protected:
    ~ContextMenuHost() = default;
};

// Command ids.
inline constexpr std::int16_t kCommandNone = 0;
inline constexpr std::int16_t kCommandEnglish = 1;
inline constexpr std::int16_t kCommandHungarian = 2;
inline constexpr std::int16_t kCommandZoomIn = 3;
inline constexpr std::int16_t kCommandZoomOut = 4;
inline constexpr std::int16_t kCommandHomePage = 5;

// Builds the menu, shows it at the cursor until it closes, disposes of it and returns the
// chosen command (0 for none).
std::int16_t showContextMenu(const ContextMenuHost& host);

// Releases the current menu and the picture slots.
void clearMenuImages();

// Carries out a chosen command on the window.
void runContextCommand(ContextMenuHost& host, std::int16_t command);

}  // namespace menu
