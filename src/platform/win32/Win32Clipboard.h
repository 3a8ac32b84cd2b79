#pragma once
// The clipboard on user32 (CF_UNICODETEXT, CF_DIB) and the save dialog on comdlg32
// (GetSaveFileNameW), starting in the folder shell32 names for the user's pictures.
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"

namespace platform::win32 {

class Win32Clipboard : public Clipboard {
public:
    bool SetText(Handle owner, const std::string& text) override;
    bool SetImage(Handle owner, int width, int height, const std::vector<std::uint32_t>& pixels) override;
};

class Win32Dialogs : public Dialogs {
public:
    bool GetSaveFileName(SaveFileName& request) override;
    std::string PicturesFolder() override;
};

}  // namespace platform::win32
