#include "platform/win32/Win32Clipboard.h"

#include <cstring>
#include <vector>

#include "platform/win32/Win32Handles.h"

#include <commdlg.h>
#include <shlobj.h>
#undef GetSaveFileName

namespace platform::win32 {
namespace {

// Global memory for the clipboard, freed unless the clipboard took it.
class GlobalMemory {
public:
    explicit GlobalMemory(std::size_t size) : memory_(::GlobalAlloc(GMEM_MOVEABLE, size)) {}
    ~GlobalMemory() {
        if (memory_ != nullptr) ::GlobalFree(memory_);
    }
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;
    HGLOBAL get() const { return memory_; }
    void release() { memory_ = nullptr; }

private:
    HGLOBAL memory_;
};

// OpenClipboard, EmptyClipboard, SetClipboardData, CloseClipboard.
bool putOnClipboard(Handle owner, UINT format, GlobalMemory& data) {
    if (data.get() == nullptr || !::OpenClipboard(fromHandle<HWND>(owner))) return false;
    ::EmptyClipboard();
    const bool taken = ::SetClipboardData(format, data.get()) != nullptr;
    if (taken) data.release();
    ::CloseClipboard();
    return taken;
}

}  // namespace

bool Win32Clipboard::SetText(Handle owner, const std::string& text) {
    const std::wstring wide = utf8ToWide(text);
    GlobalMemory data((wide.size() + 1) * sizeof(wchar_t));
    if (void* to = data.get() != nullptr ? ::GlobalLock(data.get()) : nullptr) {
        std::memcpy(to, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
        ::GlobalUnlock(data.get());
    }
    return putOnClipboard(owner, CF_UNICODETEXT, data);
}

bool Win32Clipboard::SetImage(Handle owner, int width, int height, const std::vector<std::uint32_t>& pixels) {
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<std::size_t>(width) * height) return false;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    GlobalMemory data(sizeof(BITMAPINFOHEADER) + rowBytes * height);
    if (auto* to = data.get() != nullptr ? static_cast<std::uint8_t*>(::GlobalLock(data.get())) : nullptr) {
        BITMAPINFOHEADER header{};
        header.biSize = sizeof header;
        header.biWidth = width;
        header.biHeight = height;  // bottom-up, as every reader takes it
        header.biPlanes = 1;
        header.biBitCount = 32;
        header.biCompression = BI_RGB;
        std::memcpy(to, &header, sizeof header);
        for (int y = 0; y < height; ++y) {
            std::memcpy(to + sizeof header + rowBytes * (height - 1 - y), pixels.data() + static_cast<std::size_t>(y) * width,
                        rowBytes);
        }
        ::GlobalUnlock(data.get());
    }
    return putOnClipboard(owner, CF_DIB, data);
}

bool Win32Dialogs::GetSaveFileName(SaveFileName& request) {
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring proposed = utf8ToWide(request.file);
    proposed.copy(file.data(), file.size() - 1);
    // Name and pattern pairs, each ending with a NUL, and one more NUL after the last.
    std::wstring filter = utf8ToWide(request.filterName);
    filter.push_back(L'\0');
    filter += utf8ToWide(request.filterPattern);
    filter.push_back(L'\0');
    const std::wstring title = utf8ToWide(request.title);
    const std::wstring folder = utf8ToWide(request.initialDir);
    const std::wstring extension = utf8ToWide(request.defaultExt);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = fromHandle<HWND>(request.owner);
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!::GetSaveFileNameW(&dialog)) return false;
    request.file = wideToUtf8(file.data());
    return true;
}

std::string Win32Dialogs::PicturesFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return wideToUtf8(path);
}

}  // namespace platform::win32
