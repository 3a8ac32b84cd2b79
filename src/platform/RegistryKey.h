#pragma once
// One open registry key, closed when it goes, whichever way the code that opened it is left.
// The methods are the registry's own calls on the key, with its status codes.
#include <cstdint>
#include <string>

#include "platform/Registry.h"
#include "platform/Types.h"

namespace platform {

class RegistryKey {
public:
    explicit RegistryKey(Registry& registry) : registry_(registry) {}
    ~RegistryKey() { close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens an existing key. On failure nothing is open. A key already open is closed first.
    std::int32_t open(Handle root, const std::string& path, std::uint32_t access);
    // Opens the key, creating it and every missing key along the path.
    std::int32_t create(Handle root, const std::string& path, std::uint32_t access);

    // RegQueryValueEx and RegSetValueEx on this key.
    std::int32_t query(const std::string& valueName, std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize);
    std::int32_t set(const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                     std::uint32_t dataSize);
    // A REG_SZ value: the text and its terminating zero, as the registry stores strings.
    std::int32_t setString(const std::string& valueName, const std::string& text);

    // Closes the key now; the status of closing it, ERROR_INVALID_HANDLE when none is open.
    std::int32_t close();

    bool isOpen() const { return handle_ != 0; }

private:
    Registry& registry_;
    Handle handle_ = 0;
};

}  // namespace platform
