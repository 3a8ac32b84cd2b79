#pragma once
// The clipboard and the save dialog in memory: what was put on the clipboard, and a save dialog
// that answers with a path a test chose, or is cancelled.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/Dialogs.h"

namespace platform::fake {

class FakeClipboard : public Clipboard {
public:
    bool SetText(Handle owner, const std::string& value) override {
        owner_ = owner;
        text = value;
        image.clear();
        ++writes;
        return true;
    }
    bool SetImage(Handle owner, int width, int height, const std::vector<std::uint32_t>& pixels) override {
        owner_ = owner;
        text.reset();
        imageWidth = width;
        imageHeight = height;
        image = pixels;
        ++writes;
        return true;
    }
    Handle owner() const { return owner_; }

    std::optional<std::string> text;
    int imageWidth = 0;
    int imageHeight = 0;
    std::vector<std::uint32_t> image;
    int writes = 0;

private:
    Handle owner_ = 0;
};

class FakeDialogs : public Dialogs {
public:
    bool GetSaveFileName(SaveFileName& request) override {
        asked.push_back(request);
        if (!answer) return false;
        request.file = *answer;
        return true;
    }
    std::string PicturesFolder() override { return picturesFolder; }

    // The path the user picks; nothing: the dialog is cancelled.
    std::optional<std::string> answer;
    std::string picturesFolder = "/home/user/Pictures";
    std::vector<SaveFileName> asked;
};

}  // namespace platform::fake
