#pragma once
// The screen-cast portal's restore token, kept beside the program's other settings as a string
// value, so that a later start shares the same screen without asking the user again.
#include <string>

#include "platform/Registry.h"

namespace platform::linux_::screencast {

inline constexpr const char* kRestoreTokenValue = "ScreenCastRestoreToken";

// The stored token, or an empty string when there is none or it is not a sensible string.
std::string loadRestoreToken(Registry& registry);
// Stores the token as REG_SZ; returns the registry's status.
std::int32_t saveRestoreToken(Registry& registry, const std::string& token);

}  // namespace platform::linux_::screencast
