#include "platform/linux/screencast/RestoreToken.h"

#include <algorithm>
#include <vector>

#include "base/SettingsKeys.h"
#include "platform/RegistryKey.h"

namespace platform::linux_::screencast {
namespace {

// Tokens are short printable strings; anything else is not worth handing to the portal.
constexpr std::uint32_t kLongestToken = 512;

}  // namespace

std::string loadRestoreToken(Registry& registry) {
    RegistryKey key(registry);
    if (key.open(HKEY_CURRENT_USER, base::programKeyPath(), KEY_QUERY_VALUE) != ERROR_SUCCESS) return {};
    std::vector<std::uint8_t> data(kLongestToken + 1);
    std::uint32_t size = static_cast<std::uint32_t>(data.size());
    std::uint32_t type = 0;
    const std::int32_t status = key.query(kRestoreTokenValue, &type, data.data(), &size);
    if (status != ERROR_SUCCESS || type != REG_SZ || size > data.size()) return {};
    std::string token(data.begin(), data.begin() + size);
    while (!token.empty() && token.back() == '\0') token.pop_back();
    const bool printable = std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7F; });
    return printable ? token : std::string();
}

std::int32_t saveRestoreToken(Registry& registry, const std::string& token) {
    RegistryKey key(registry);
    const std::int32_t opened =
        key.create(HKEY_CURRENT_USER, base::programKeyPath(), KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
    if (opened != ERROR_SUCCESS) return opened;
    const std::int32_t status = key.setString(kRestoreTokenValue, token);
    const std::int32_t closed = key.close();
    return status != ERROR_SUCCESS ? status : closed;
}

}  // namespace platform::linux_::screencast
