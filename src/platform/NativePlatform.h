#pragma once
// The real platform the program runs on: one per build (Linux or Windows).
#include <memory>

#include "platform/FormToolkit.h"
#include "platform/Services.h"

namespace platform {

class NativePlatform {
public:
    virtual ~NativePlatform() = default;
    virtual Services services() = 0;
    virtual FormToolkit& toolkit() = 0;
};

// Connects to the desktop. When there is none to connect to, says why on stderr in one line and
// returns null.
std::unique_ptr<NativePlatform> openNativePlatform(int argc, char** argv);

}  // namespace platform
