#pragma once
// The clipboard and the save dialog with Qt: the X clipboard (CLIPBOARD selection), served by the
// program while it runs, and Qt's file dialog.
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"

namespace platform::linux_ {

class QtClipboard : public Clipboard {
public:
    bool SetText(Handle owner, const std::string& text) override;
    bool SetImage(Handle owner, int width, int height, const std::vector<std::uint32_t>& pixels) override;
};

class QtDialogs : public Dialogs {
public:
    bool GetSaveFileName(SaveFileName& request) override;
    std::string PicturesFolder() override;
};

}  // namespace platform::linux_
