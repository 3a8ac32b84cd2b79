#pragma once
// The clipboard: a text or an image handed to other programs. Each call is the whole sequence
// OpenClipboard, EmptyClipboard, SetClipboardData, CloseClipboard: what was there goes.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // The text (UTF-8), put there by the window `owner`; false when the clipboard refused it.
    virtual bool SetText(Handle owner, const std::string& text) = 0;
    // An image of width x height pixels, 0x00RRGGBB, rows from the top.
    virtual bool SetImage(Handle owner, int width, int height, const std::vector<std::uint32_t>& pixels) = 0;
};

}  // namespace platform
