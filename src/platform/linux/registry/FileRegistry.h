#pragma once
// The registry of the Linux build: HKEY_CURRENT_USER kept in a REGEDIT4 text file, by default
// ${XDG_CONFIG_HOME:-$HOME/.config}/Orlenda/registry.reg, shared by the maker's programs.
// Handles are small numbers standing for a key's path; the key itself lives only in the file.
// Access rights are not enforced: the file belongs to the user anyway.
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>

#include "platform/Registry.h"
#include "platform/linux/registry/RegFileStore.h"

namespace platform::linux_::registry {

class FileRegistry final : public Registry {
public:
    explicit FileRegistry(std::filesystem::path file, std::chrono::milliseconds lockWait = kDefaultLockWait)
        : store_(std::move(file), lockWait) {}

    static std::filesystem::path defaultPath();

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
    void beginBatch() override;
    std::int32_t commitBatch() override;

private:
    std::optional<std::string> pathOf(Handle key) const;
    Handle addHandle(std::string path);

    RegFileStore store_;
    mutable std::mutex mutex_;  // guards the handles
    std::map<Handle, std::string> handles_;
    Handle lastHandle_ = 0;
};

}  // namespace platform::linux_::registry
