#pragma once
// Where this program's settings live in the current user's registry: the tool family's key, with
// the interface language, and the program's own key below it. Shared by the settings store and
// by back ends that keep a value of their own beside the program's (the screen-cast token).
#include <string>

namespace base {

inline constexpr const char* kFamilyKeyPath = "Software\\Orlenda";
inline constexpr const char* kProgramKeyName = "Kitmora Magnifier";

inline std::string programKeyPath() { return std::string(kFamilyKeyPath) + "\\" + kProgramKeyName; }

}  // namespace base
