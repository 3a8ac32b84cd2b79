#include "platform/linux/wayland/RestoreToken.h"

#include <algorithm>
#include <vector>

#include "base/SettingsKeys.h"

namespace platform::wayland {
namespace {

// Tokens are short printable strings; anything else is not worth handing to the portal.
constexpr std::uint32_t kLongestToken = 512;

}  // namespace

std::string loadRestoreToken(Registry& registry) {
    Handle key = 0;
    if (registry.RegOpenKeyEx(HKEY_CURRENT_USER, base::programKeyPath(), 0, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<std::uint8_t> data(kLongestToken + 1);
    std::uint32_t size = static_cast<std::uint32_t>(data.size());
    std::uint32_t type = 0;
    const std::int32_t status = registry.RegQueryValueEx(key, kRestoreTokenValue, &type, data.data(), &size);
    registry.RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ || size > data.size()) return {};
    std::string token(data.begin(), data.begin() + size);
    while (!token.empty() && token.back() == '\0') token.pop_back();
    const bool printable = std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7F; });
    return printable ? token : std::string();
}

std::int32_t saveRestoreToken(Registry& registry, const std::string& token) {
    Handle key = 0;
    const std::int32_t opened =
        registry.RegCreateKeyEx(HKEY_CURRENT_USER, base::programKeyPath(), "", 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, key,
                                nullptr);
    if (opened != ERROR_SUCCESS) return opened;
    // A string value carries its terminating zero, as the registry stores REG_SZ.
    const std::uint32_t size = static_cast<std::uint32_t>(token.size() + 1);
    const std::int32_t status =
        registry.RegSetValueEx(key, kRestoreTokenValue, REG_SZ, reinterpret_cast<const std::uint8_t*>(token.c_str()), size);
    const std::int32_t closed = registry.RegCloseKey(key);
    return status != ERROR_SUCCESS ? status : closed;
}

}  // namespace platform::wayland
