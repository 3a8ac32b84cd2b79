#pragma once
// The common dialogs the program asks the user with: the save dialog, shaped after
// GetSaveFileNameW and its OPENFILENAMEW, and the folder it starts in.
#include <string>

#include "platform/Types.h"

namespace platform {

// Texts and paths in UTF-8.
struct SaveFileName {
    Handle owner = 0;
    std::string title;
    std::string filterName;     // e.g. "PNG image"
    std::string filterPattern;  // e.g. "*.png"
    std::string defaultExt;     // added to a name given without one, e.g. "png"
    std::string initialDir;
    std::string file;           // the name proposed; on return, the full path chosen
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Asks where to save, confirming the replacement of an existing file; false when cancelled.
    virtual bool GetSaveFileName(SaveFileName& request) = 0;
    // The user's pictures folder, as SHGetFolderPath with CSIDL_MYPICTURES gives it; empty when
    // there is none.
    virtual std::string PicturesFolder() = 0;
};

}  // namespace platform
