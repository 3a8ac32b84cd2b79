#include "platform/RegistryKey.h"

namespace platform {

std::int32_t RegistryKey::open(Handle root, const std::string& path, std::uint32_t access) {
    close();
    Handle opened = 0;
    const std::int32_t status = registry_.RegOpenKeyEx(root, path, 0, access, opened);
    if (status == ERROR_SUCCESS) handle_ = opened;
    return status;
}

std::int32_t RegistryKey::create(Handle root, const std::string& path, std::uint32_t access) {
    close();
    Handle created = 0;
    std::uint32_t disposition = 0;  // whether it was new is of no interest here
    const std::int32_t status = registry_.RegCreateKeyEx(root, path, "", 0, access, created, &disposition);
    if (status == ERROR_SUCCESS) handle_ = created;
    return status;
}

std::int32_t RegistryKey::query(const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* dataSize) {
    return registry_.RegQueryValueEx(handle_, valueName, type, data, dataSize);
}

std::int32_t RegistryKey::set(const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                              std::uint32_t dataSize) {
    return registry_.RegSetValueEx(handle_, valueName, type, data, dataSize);
}

std::int32_t RegistryKey::setString(const std::string& valueName, const std::string& text) {
    return set(valueName, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()),
               static_cast<std::uint32_t>(text.size() + 1));
}

std::int32_t RegistryKey::close() {
    if (handle_ == 0) return ERROR_INVALID_HANDLE;
    const Handle key = handle_;
    handle_ = 0;
    return registry_.RegCloseKey(key);
}

}  // namespace platform
