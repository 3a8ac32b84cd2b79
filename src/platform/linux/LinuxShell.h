#pragma once
// The shell on a Linux desktop: the desktop's default handler for an address, via xdg-open.
#include "platform/Shell.h"

namespace platform::linux_ {

class LinuxShell : public Shell {
public:
    std::intptr_t ShellExecute(Handle owner, const char* operation, const char* file, const char* parameters,
                               const char* directory, int showCommand) override;
};

}  // namespace platform::linux_
