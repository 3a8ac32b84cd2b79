#pragma once
// Where this program's settings live in the current user's registry: the tool family's key, with
// the interface language, and the program's own key below it. Shared by the settings store, by
// back ends that keep a value of their own beside the program's (the screen-cast token) and by
// the tests.
#include <string>
#include <string_view>

namespace base {

inline constexpr const char* kFamilyKeyPath = "Software\\Orlenda";
inline constexpr const char* kProgramKeyName = "Kitmora Magnifier";

// A tool's own key: the family key, a backslash, the tool's key name.
inline std::string programKeyPath(std::string_view programKeyName = kProgramKeyName) {
    return std::string(kFamilyKeyPath).append("\\").append(programKeyName);
}

}  // namespace base
