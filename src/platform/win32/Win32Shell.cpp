#include "platform/win32/Win32Shell.h"

#include "platform/win32/Win32Handles.h"

namespace platform::win32 {

std::intptr_t Win32Shell::ShellExecute(Handle owner, const char* operation, const char* file, const char* parameters,
                                       const char* directory, int showCommand) {
    // The result is an HINSTANCE only in name: a number above 32 for success, an error code else.
    return reinterpret_cast<std::intptr_t>(
        ::ShellExecuteA(fromHandle<HWND>(owner), operation, file, parameters, directory, showCommand));
}

}  // namespace platform::win32
