#pragma once
// The few file operations the registry file needs, each reporting failure as an errno value
// (0 = done) so the caller can pick the registry status and the message.
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/UniqueFd.h"

namespace platform::linux_::registry {

// Tells one content of a file from another without reading it: any rewrite by rename gives
// another inode, and one in place another size or time.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    bool operator==(const FileIdentity& other) const;
};

// The identity of what the path names now (following links); nullopt when it cannot be told.
std::optional<FileIdentity> identityOf(const std::filesystem::path& file);

struct FileRead {
    enum class Outcome { Read, Missing, TooLarge, NotAFile, Failed };
    Outcome outcome = Outcome::Missing;
    std::string bytes;
    int error = 0;  // for Failed
    FileIdentity identity;  // of the file read, for Read
};

// Reads a whole regular file of at most `limit` bytes. A missing file or folder is Missing.
FileRead readSmallFile(const std::filesystem::path& file, std::size_t limit);

// Takes an exclusive advisory lock (flock) on a folder; it is held while `lock` stays open.
// Waits at most `wait` for another holder to let go, then gives up with ETIMEDOUT.
int lockFolder(const std::filesystem::path& folder, std::chrono::milliseconds wait, posix::UniqueFd& lock);

// The file a chain of symbolic links ends at (the path itself when it is no link), so that a
// linked file is replaced where it lives and the link stays. ELOOP for a chain that never ends.
int followLinks(const std::filesystem::path& file, std::filesystem::path& target);

// Removes what a killed writer left behind: regular files of ours, beside `file`, named as
// PendingFile names its temporary files (`.registry.reg.tmp-` and six letters or digits for
// `registry.reg`), nothing else. Earlier versions named them `registry.reg.` and six letters or
// digits; those are left alone, since a user's own `registry.reg.backup` has that shape too.
// Only safe while holding the lock every writer of `file` takes.
void removeStaleTemporaries(const std::filesystem::path& file);

// Sets a file aside under the first free name of file.damaged, file.damaged.1, ... without
// ever replacing an existing file. A hard link is tried first so the original name keeps
// the file until its replacement is in place.
int keepAside(const std::filesystem::path& file, std::filesystem::path& aside);

// A new content for a file, written to a temporary file beside it and swapped in by rename,
// so the old content stays whole until the new one is on disk. The temporary file is removed
// again unless committed.
class PendingFile {
public:
    explicit PendingFile(std::filesystem::path target) : target_(std::move(target)) {}
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile();

    // Writes and fsyncs the temporary file, with the permission bits `mode`.
    int write(std::string_view bytes, mode_t mode);
    // Renames it over the target and syncs the folder; `identity` then tells the new file.
    int commit(FileIdentity& identity);

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    posix::UniqueFd written_;  // kept open to tell the file's identity once it is in place
};

}  // namespace platform::linux_::registry
