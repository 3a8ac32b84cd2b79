#pragma once
// The settings store of the Kitmora tool family: 2-byte values under the current user's key.
// One key shared by the whole family holds the interface language; each tool has a key of its
// own below it. Every failure becomes a status code or the reader's default; nothing is thrown.
#include <cstdint>
#include <string>

#include "base/SettingsKeys.h"
#include "platform/Registry.h"
#include "platform/Types.h"

namespace settings {

using base::kFamilyKeyPath;
using base::kProgramKeyName;
// Status when no registry call completed.
inline constexpr std::int32_t kStatusNoCall = 99;

// Reads one value of at most 2 bytes into `result`, which starts as `defaultValue`; the bytes
// read replace its lowest bytes. Returns the registry's status (0 on success).
std::int32_t regReadWord(platform::Handle rootKey, const std::string& keyPath, const std::string& valueName,
                         std::int32_t defaultValue, std::int32_t& result);

// Writes the low 16 bits of `value`, low byte first, as REG_BINARY; creates missing keys.
std::int32_t regWriteWord(platform::Handle rootKey, const std::string& keyPath, const std::string& valueName,
                          std::int32_t value);

// The family-wide interface language: 1 when it cannot be read.
std::int32_t loadLanguage();
bool saveLanguage(std::int32_t value);

// A value of this tool's own key, or `defaultValue` when it cannot be read.
std::int32_t loadSetting(const std::string& programKeyName, const std::string& valueName, std::int32_t defaultValue);
std::int32_t saveSetting(const std::string& programKeyName, const std::string& valueName, std::int32_t value);

// While it lives, the writes above reach other copies of the program as one update where the
// registry allows it, so that a copy's set of values wins whole, never mixed with another's.
class WriteBatch {
public:
    WriteBatch();
    ~WriteBatch();
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

private:
    platform::Registry* mRegistry = nullptr;
};

// The value bounded to low..high; the upper bound is applied last, so it wins when low > high.
std::int32_t clampLong(std::int32_t low, std::int32_t high, std::int32_t value);
std::int16_t clampInt(std::int16_t low, std::int16_t high, std::int16_t value);

}  // namespace settings
