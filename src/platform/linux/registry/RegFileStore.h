#pragma once
// The registry file on disk, changed only by read-modify-write under the family folder's lock,
// replacing the file whole. Every look-up sees what other processes wrote: the file's identity
// is checked on each one, and the file is read and parsed again only when it changed, so a
// large file costs one parse per change rather than one per call.
// A file that cannot be read or parsed reads as an empty registry; the first change sets it
// aside as <file>.damaged (never replacing an earlier one), writes a fresh file and says so on
// stderr. The file's owner has the last word: a link is written through to the file it names,
// a file without write permission for its owner is never written, and a rewrite keeps the mode.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/linux/registry/PosixFiles.h"
#include "platform/linux/registry/RegDocument.h"

namespace platform::linux_::registry {

// Far beyond what a settings file holds; anything larger is taken as damage, not read.
inline constexpr std::size_t kMaxRegistryFileSize = 4u << 20;
// How long a write waits for another process's lock before it gives up.
inline constexpr std::chrono::milliseconds kDefaultLockWait{2000};

// Registry status codes beyond the ones the platform layer names.
inline constexpr std::int32_t kErrorInvalidParameter = 87;
inline constexpr std::int32_t kErrorDiskFull = 112;
// The store's own failures: no lock within the wait, or a file operation that failed.
inline constexpr std::int32_t kErrorRegistryIoFailed = 1016;

class RegFileStore {
public:
    explicit RegFileStore(std::filesystem::path file, std::chrono::milliseconds lockWait = kDefaultLockWait)
        : file_(std::move(file)), lockWait_(lockWait) {}

    const std::filesystem::path& file() const { return file_; }
    // The current document; inside a batch, with the batch's changes.
    std::shared_ptr<const RegDocument> load() const;

    // Runs `edit` on the current document under the lock and writes the result if `edit`
    // reports a change. Returns a registry status.
    std::int32_t update(const std::function<bool(RegDocument&)>& edit);

    // Between these, the lock is held and every update changes one document in memory, written
    // once by the outermost commitBatch: other processes see all of the batch or none of it.
    // When the lock cannot be had, every update of the batch fails with that status.
    void beginBatch();
    std::int32_t commitBatch();

private:
    struct Loaded {
        RegDocument doc;
        std::optional<std::string> damage;  // why the file could not be used
    };
    std::shared_ptr<const Loaded> read() const;
    // Takes the lock and tidies up after killed writers; the status, 0 when locked.
    std::int32_t acquire(posix::UniqueFd& lock);
    std::int32_t write(RegDocument doc, const Loaded& base);
    std::int32_t failed(const char* what, int error);

    std::filesystem::path file_;
    std::chrono::milliseconds lockWait_;
    std::atomic<bool> failing_{false};  // a run of failed writes is reported once
    std::atomic<bool> toldLocked_{false};  // so is a lock held too long, once per run

    mutable std::mutex cacheMutex_;
    mutable std::shared_ptr<const Loaded> cached_;
    mutable FileIdentity cachedIdentity_;

    struct Batch {
        int depth = 0;
        std::int32_t status = 0;
        posix::UniqueFd lock;
        std::shared_ptr<const Loaded> base;
        std::shared_ptr<RegDocument> doc;
        bool changed = false;
    };
    Batch batch_;  // used from one thread, as the registry's callers are
};

}  // namespace platform::linux_::registry
