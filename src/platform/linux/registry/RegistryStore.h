#pragma once
// The registry file on disk: read fresh for every look-up (another process may have changed
// it), and changed only by read-modify-write under the family folder's lock, replacing the
// file whole. A file that cannot be read or parsed reads as an empty registry; the first
// change sets it aside as <file>.damaged (never replacing an earlier one), writes a fresh
// file and says so on stderr.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/linux/registry/RegDocument.h"

namespace platform::linuxfs {

// Far beyond what a settings file holds; anything larger is taken as damage, not read.
inline constexpr std::size_t kMaxRegistryFileSize = 4u << 20;

// Registry status codes beyond the ones the platform layer names.
inline constexpr std::int32_t kErrorInvalidParameter = 87;
inline constexpr std::int32_t kErrorDiskFull = 112;
inline constexpr std::int32_t kErrorRegistryIoFailed = 1016;

class RegistryStore {
public:
    explicit RegistryStore(std::filesystem::path file) : file_(std::move(file)) {}

    const std::filesystem::path& file() const { return file_; }
    RegDocument load() const { return read().doc; }

    // Runs `edit` on the current document under the lock and writes the result if `edit`
    // reports a change. Returns a registry status.
    std::int32_t update(const std::function<bool(RegDocument&)>& edit);

private:
    struct Loaded {
        RegDocument doc;
        std::optional<std::string> damage;  // why the file could not be used
    };
    Loaded read() const;
    std::int32_t failed(const char* what, int error);

    std::filesystem::path file_;
    std::atomic<bool> failing_{false};  // a run of failed writes is reported once
};

}  // namespace platform::linuxfs
