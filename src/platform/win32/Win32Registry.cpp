#include "platform/win32/Win32Registry.h"

#include <vector>

#include "platform/win32/Win32Handles.h"

namespace platform::win32 {

std::int32_t Win32Registry::RegOpenKeyEx(Handle root, const std::string& subKey, std::uint32_t options,
                                         std::uint32_t access, Handle& key) {
    HKEY opened = nullptr;
    const LSTATUS status = ::RegOpenKeyExA(registryKey(root), subKey.c_str(), options, access, &opened);
    key = status == ERROR_SUCCESS ? toHandle(opened) : 0;
    return status;
}

std::int32_t Win32Registry::RegQueryValueEx(Handle key, const std::string& valueName, std::uint32_t* type,
                                            std::uint8_t* data, std::uint32_t* dataSize) {
    // DWORD is a 32-bit unsigned long here, not the uint32_t (unsigned int) of the interface.
    DWORD valueType = 0;
    DWORD size = dataSize != nullptr ? *dataSize : 0;
    const LSTATUS status = ::RegQueryValueExA(registryKey(key), valueName.c_str(), nullptr,
                                              type != nullptr ? &valueType : nullptr, data,
                                              dataSize != nullptr ? &size : nullptr);
    if (type != nullptr) *type = valueType;
    if (dataSize != nullptr) *dataSize = size;
    return status;
}

std::int32_t Win32Registry::RegCreateKeyEx(Handle root, const std::string& subKey, const std::string& keyClass,
                                           std::uint32_t options, std::uint32_t access, Handle& key,
                                           std::uint32_t* disposition) {
    // The class parameter is not const in the declaration; the function only reads it.
    std::vector<char> className(keyClass.begin(), keyClass.end());
    className.push_back('\0');
    HKEY created = nullptr;
    DWORD createdOrOpened = 0;
    const LSTATUS status = ::RegCreateKeyExA(registryKey(root), subKey.c_str(), 0, className.data(), options, access,
                                             nullptr, &created, disposition != nullptr ? &createdOrOpened : nullptr);
    key = status == ERROR_SUCCESS ? toHandle(created) : 0;
    if (disposition != nullptr) *disposition = createdOrOpened;
    return status;
}

std::int32_t Win32Registry::RegSetValueEx(Handle key, const std::string& valueName, std::uint32_t type,
                                          const std::uint8_t* data, std::uint32_t dataSize) {
    return ::RegSetValueExA(registryKey(key), valueName.c_str(), 0, type, data, dataSize);
}

std::int32_t Win32Registry::RegCloseKey(Handle key) { return ::RegCloseKey(registryKey(key)); }

}  // namespace platform::win32
