#pragma once
// The registry on advapi32's ANSI functions: each call goes to the Win32 function of the same name
// with the same arguments and gives back its status code.
#include "platform/Registry.h"

namespace platform::win32 {

class Win32Registry : public Registry {
public:
    std::int32_t RegOpenKeyEx(Handle root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                              Handle& key) override;
    std::int32_t RegQueryValueEx(Handle key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* dataSize) override;
    std::int32_t RegCreateKeyEx(Handle root, const std::string& subKey, const std::string& keyClass,
                                std::uint32_t options, std::uint32_t access, Handle& key,
                                std::uint32_t* disposition) override;
    std::int32_t RegSetValueEx(Handle key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                               std::uint32_t dataSize) override;
    std::int32_t RegCloseKey(Handle key) override;
};

}  // namespace platform::win32
