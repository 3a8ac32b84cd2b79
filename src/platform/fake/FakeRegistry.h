#pragma once
// An in-memory registry under HKEY_CURRENT_USER, with the registry's status codes and
// case-insensitive names, and switches that make calls fail as a real registry can.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace platform::fake {

struct RegistryValue {
    std::uint32_t type = REG_BINARY;
    std::vector<std::uint8_t> data;
};

class FakeRegistry : public Registry {
public:
    std::int32_t RegOpenKeyEx(Handle root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                              Handle& key) override;
    std::int32_t RegQueryValueEx(Handle key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* dataSize) override;
    std::int32_t RegCreateKeyEx(Handle root, const std::string& subKey, const std::string& keyClass,
                                std::uint32_t options, std::uint32_t access, Handle& key,
                                std::uint32_t* disposition) override;
    std::int32_t RegSetValueEx(Handle key, const std::string& valueName, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t dataSize) override;
    std::int32_t RegCloseKey(Handle key) override;
    // Writes stand alone here; only counted, so a test can see which ones were grouped.
    void beginBatch() override { ++openBatches_; }
    std::int32_t commitBatch() override {
        if (openBatches_ > 0) --openBatches_;
        return ERROR_SUCCESS;
    }

    // Direct access for tests; paths as "Software\\Orlenda".
    void put(const std::string& keyPath, const std::string& valueName, RegistryValue value);
    std::optional<RegistryValue> get(const std::string& keyPath, const std::string& valueName) const;
    bool hasKey(const std::string& keyPath) const;
    std::size_t openKeys() const { return handles_.size(); }
    // Names of the values written, in the order of the writes.
    const std::vector<std::string>& writeLog() const { return writeLog_; }
    // How many writes happened inside a batch, and whether one is still open.
    std::size_t batchedWrites() const { return batchedWrites_; }
    int openBatches() const { return openBatches_; }

    // Failures a test can switch on: a status every such call returns.
    std::int32_t failOpen = 0;
    std::int32_t failQuery = 0;
    std::int32_t failCreate = 0;
    std::int32_t failSet = 0;
    std::int32_t failClose = 0;

private:
    struct Key {
        std::map<std::string, RegistryValue> values;  // by lower-case name
    };
    static std::string normalise(const std::string& path);
    std::map<std::string, Key> keys_;  // by lower-case path
    std::map<Handle, std::string> handles_;
    Handle next_ = 0x3000;
    std::vector<std::string> writeLog_;
    int openBatches_ = 0;
    std::size_t batchedWrites_ = 0;
};

}  // namespace platform::fake
