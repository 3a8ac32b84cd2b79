#include "platform/win32/Win32Handles.h"

namespace platform::win32 {

HKEY registryKey(Handle handle) {
    // The predefined roots lie in 0x80000000..0x800000FF.
    if ((handle & ~static_cast<Handle>(0xFFu)) == 0x80000000u) {
        const auto signExtended = static_cast<std::intptr_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(handle)));
        return reinterpret_cast<HKEY>(signExtended);
    }
    return fromHandle<HKEY>(handle);
}

Handle widenHandle32(std::uint32_t value) {
    return static_cast<Handle>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

std::wstring utf8ToWide(const std::string& text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    }
    return wide;
}

std::string wideToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                              nullptr);
    }
    return narrow;
}

std::string utf8ToAnsi(const char* text) {
    if (text == nullptr) return {};
    if (::GetACP() == CP_UTF8) return text;
    const std::wstring wide = utf8ToWide(text);
    if (wide.empty()) return {};
    const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                             nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), length, nullptr,
                              nullptr);
    }
    return ansi;
}

}  // namespace platform::win32
