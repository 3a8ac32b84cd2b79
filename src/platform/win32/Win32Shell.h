#pragma once
// The shell on shell32: ShellExecuteA with the same arguments.
#include "platform/Shell.h"

namespace platform::win32 {

class Win32Shell : public Shell {
public:
    std::intptr_t ShellExecute(Handle owner, const char* operation, const char* file, const char* parameters,
                               const char* directory, int showCommand) override;
};

}  // namespace platform::win32
