#include "settings/RegistryStore.h"

#include "platform/RegistryKey.h"
#include "platform/Services.h"

namespace settings {

std::int32_t regReadWord(platform::Handle rootKey, const std::string& keyPath, const std::string& valueName,
                         std::int32_t defaultValue, std::int32_t& result) {
    std::int32_t status = kStatusNoCall;
    result = defaultValue;
    if (rootKey == 0) return status;
    try {
        platform::RegistryKey key(platform::registry());
        status = key.open(rootKey, keyPath, platform::KEY_QUERY_VALUE);
        if (status != platform::ERROR_SUCCESS) return status;
        std::uint8_t buffer[2] = {static_cast<std::uint8_t>(result & 0xFF),
                                  static_cast<std::uint8_t>((result >> 8) & 0xFF)};
        std::uint32_t type = 0;
        std::uint32_t length = sizeof buffer;
        status = key.query(valueName, &type, buffer, &length);
        if (status == platform::ERROR_SUCCESS) {
            // The stored type is not looked at: any value of at most two bytes is a number, and
            // the bytes delivered replace the lowest bytes of the default.
            auto bits = static_cast<std::uint32_t>(result);
            for (std::uint32_t i = 0; i < length && i < sizeof buffer; ++i) {
                bits = (bits & ~(0xFFu << (8 * i))) | (static_cast<std::uint32_t>(buffer[i]) << (8 * i));
            }
            result = static_cast<std::int32_t>(bits);
        }
        const std::int32_t closeStatus = key.close();
        if (status == platform::ERROR_SUCCESS) status = closeStatus;
    } catch (...) {
        // The raw operations never pass a failure on: the status so far tells the caller.
    }
    return status;
}

std::int32_t regWriteWord(platform::Handle rootKey, const std::string& keyPath, const std::string& valueName,
                          std::int32_t value) {
    std::int32_t status = kStatusNoCall;
    if (rootKey == 0) return status;
    try {
        platform::RegistryKey key(platform::registry());
        status = key.create(rootKey, keyPath, platform::KEY_SET_VALUE | platform::KEY_CREATE_SUB_KEY);
        if (status != platform::ERROR_SUCCESS) return status;
        // Only the low 16 bits are kept; the upper ones are dropped without a check.
        const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value & 0xFF),
                                       static_cast<std::uint8_t>((value >> 8) & 0xFF)};
        status = key.set(valueName, platform::REG_BINARY, bytes, sizeof bytes);
        const std::int32_t closeStatus = key.close();
        if (status == platform::ERROR_SUCCESS) status = closeStatus;
    } catch (...) {
    }
    return status;
}

std::int32_t loadLanguage() {
    std::int32_t value = 0;
    if (regReadWord(platform::HKEY_CURRENT_USER, kFamilyKeyPath, "Language", 0, value) != platform::ERROR_SUCCESS) {
        return 1;
    }
    return value;
}

bool saveLanguage(std::int32_t value) {
    return regWriteWord(platform::HKEY_CURRENT_USER, kFamilyKeyPath, "Language", value) == platform::ERROR_SUCCESS;
}

std::int32_t loadSetting(const std::string& programKeyName, const std::string& valueName, std::int32_t defaultValue) {
    std::int32_t value = 0;
    if (regReadWord(platform::HKEY_CURRENT_USER, base::programKeyPath(programKeyName), valueName, defaultValue,
                    value) != platform::ERROR_SUCCESS) {
        return defaultValue;
    }
    return value;
}

std::int32_t saveSetting(const std::string& programKeyName, const std::string& valueName, std::int32_t value) {
    return regWriteWord(platform::HKEY_CURRENT_USER, base::programKeyPath(programKeyName), valueName, value);
}

WriteBatch::WriteBatch() {
    try {
        mRegistry = &platform::registry();
        mRegistry->beginBatch();
    } catch (...) {
        mRegistry = nullptr;  // no registry: the writes fail on their own, quietly
    }
}

WriteBatch::~WriteBatch() {
    if (mRegistry) mRegistry->commitBatch();
}

std::int32_t clampLong(std::int32_t low, std::int32_t high, std::int32_t value) {
    std::int32_t result = value < low ? low : value;
    return result > high ? high : result;
}

std::int16_t clampInt(std::int16_t low, std::int16_t high, std::int16_t value) {
    std::int16_t result = value < low ? low : value;
    return result > high ? high : result;
}

}  // namespace settings
