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

// A box cannot wrap a word, so one long argument would make it wider than any screen and put
// its OK button out of reach; 100 characters of the box's font fit a 1024-pixel screen.
constexpr std::size_t kMaxBoxLine = 100;

enum class Written { NoOutput, Done, Failed };

Written writeTo(DWORD which, std::string_view text) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || ::GetFileType(handle) == FILE_TYPE_UNKNOWN) {
        return Written::NoOutput;
    }
    DWORD written = 0;
    if (::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) == FALSE)
        return Written::Failed;
    if (written == text.size()) return Written::Done;
    ::SetLastError(ERROR_HANDLE_DISK_FULL);  // a short write reports no error of its own
    return Written::Failed;
}

// The system's own words for an error, on one line.
std::string systemMessage(DWORD error) {
    char buffer[256] = {};
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                    buffer, sizeof buffer, nullptr);
    std::string message(buffer, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}

std::wstring widen(std::string_view text) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// Cuts a line to kMaxBoxLine characters with an ellipsis; a quoted argument is cut inside its
// quotes, so the line still reads as the message it was.
std::wstring shortenLine(std::wstring line) {
    if (line.size() <= kMaxBoxLine) return line;
    const std::size_t close = line.ends_with(L'\'') ? line.size() - 1 : line.size();
    std::wstring tail = line.substr(close);
    std::size_t keep = kMaxBoxLine - 1 - tail.size();
    // Never half of a character that takes two UTF-16 units.
    if (keep > 0 && line[keep - 1] >= 0xD800 && line[keep - 1] <= 0xDBFF) --keep;
    line.resize(keep);
    return line + L"\u2026" + tail;
}

std::wstring shortenLines(const std::wstring& text) {
    std::wstring shortened;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(L'\n', start);
        shortened += shortenLine(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos) return shortened;
        shortened += L'\n';
        start = end + 1;
    }
}

}  // namespace

bool showCommandLineAnswer(std::string_view text, bool isError) {
    switch (writeTo(isError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE, text)) {
    case Written::Done:
        return true;
    case Written::Failed: {
        // The caller gave an output that takes nothing (a full disk, a closed pipe): a script
        // must see that, not a box nobody reads.
        if (!isError) writeTo(STD_ERROR_HANDLE, "magnifier: write error: " + systemMessage(::GetLastError()) + "\n");
        return false;
    }
    case Written::NoOutput:
        break;
    }
    // A box needs no final line end; it would only add an empty line.
    if (text.ends_with('\n')) text.remove_suffix(1);
    ::MessageBoxW(nullptr, shortenLines(widen(text)).c_str(), L"Magnifier",
                  MB_OK | MB_SETFOREGROUND | (isError ? MB_ICONERROR : MB_ICONINFORMATION));
    return true;
}

}  // namespace platform
