#pragma once
// The few file operations the registry file needs, each reporting failure as an errno value
// (0 = done) so the caller can pick the registry status and the message.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform::linuxfs {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd();

    int get() const { return fd_; }
    int release();
    int close();  // errno of the close, 0 when it went well

private:
    int fd_ = -1;
};

struct FileRead {
    enum class Outcome { Read, Missing, TooLarge, NotAFile, Failed };
    Outcome outcome = Outcome::Missing;
    std::string bytes;
    int error = 0;  // for Failed
};

// Reads a whole regular file of at most `limit` bytes. A missing file or folder is Missing.
FileRead readSmallFile(const std::filesystem::path& file, std::size_t limit);

// Takes an exclusive advisory lock (flock) on a folder; it is held while `lock` stays open.
int lockFolder(const std::filesystem::path& folder, UniqueFd& lock);

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

    int write(std::string_view bytes);  // writes and fsyncs the temporary file
    int commit();                       // renames it over the target and syncs the folder

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
};

}  // namespace platform::linuxfs
