// A Windows program built for the desktop has no console: started from Explorer, a shortcut or
// the Run box, printed text would go nowhere. Such programs answer in a message box, and so does
// the magnifier. Attaching to the parent's console was rejected: cmd.exe does not wait for a
// desktop program, so the text would land after the next prompt and the exit status would be
// lost. When the caller did give the program somewhere to write (a pipe or a file, as scripts
// and tests do, or a console it inherited), the text goes there instead, unchanged.
#include <string>

#include "platform/CommandLineAnswer.h"
#include "platform/win32/Win32Api.h"

namespace platform {
namespace {

bool writeTo(DWORD which, std::string_view text) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || ::GetFileType(handle) == FILE_TYPE_UNKNOWN) {
        return false;
    }
    DWORD written = 0;
    return ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE &&
           written == text.size();
}

std::wstring widen(std::string_view text) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

}  // namespace

void showCommandLineAnswer(std::string_view text, bool isError) {
    if (writeTo(isError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE, text)) return;
    // A box needs no final line end; it would only add an empty line.
    if (text.ends_with('\n')) text.remove_suffix(1);
    ::MessageBoxW(nullptr, widen(text).c_str(), L"Magnifier",
                  MB_OK | MB_SETFOREGROUND | (isError ? MB_ICONERROR : MB_ICONINFORMATION));
}

}  // namespace platform
