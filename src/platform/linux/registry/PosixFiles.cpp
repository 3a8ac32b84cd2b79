#include "platform/linux/registry/PosixFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace platform::linuxfs {

namespace {

// Candidates for a damaged file's new name; past this many the folder is surely not sane.
constexpr int kMaxAsideNames = 1000;

int retryingFlock(int fd) {
    while (::flock(fd, LOCK_EX) != 0)
        if (errno != EINTR) return errno;
    return 0;
}

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        auto n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

UniqueFd::~UniqueFd() { close(); }

int UniqueFd::release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

int UniqueFd::close() {
    if (fd_ < 0) return 0;
    // Linux frees the descriptor even when close reports an error, so it is never retried.
    int result = ::close(release()) == 0 ? 0 : errno;
    return result == EINTR ? 0 : result;
}

FileRead readSmallFile(const std::filesystem::path& file, std::size_t limit) {
    FileRead result;
    // O_NONBLOCK: a pipe put in the file's place must not hang the program; files ignore it.
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) {
        result.error = errno;
        bool missing = result.error == ENOENT || result.error == ENOTDIR;
        result.outcome = missing ? FileRead::Outcome::Missing : FileRead::Outcome::Failed;
        return result;
    }
    if (!S_ISREG(info.st_mode)) return {FileRead::Outcome::NotAFile, {}, 0};
    char buffer[65536];
    for (;;) {
        auto n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {FileRead::Outcome::Failed, {}, errno};
        if (n == 0) break;
        result.bytes.append(buffer, static_cast<std::size_t>(n));
        // Checked while reading rather than by size up front: the file may grow meanwhile.
        if (result.bytes.size() > limit) return {FileRead::Outcome::TooLarge, {}, 0};
    }
    result.outcome = FileRead::Outcome::Read;
    return result;
}

int lockFolder(const std::filesystem::path& folder, UniqueFd& lock) {
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) return errno;
    if (int error = retryingFlock(fd.get())) return error;
    lock = std::move(fd);
    return 0;
}

int keepAside(const std::filesystem::path& file, std::filesystem::path& aside) {
    for (int i = 0; i < kMaxAsideNames; ++i) {
        aside = file;
        aside += i == 0 ? std::string(".damaged") : ".damaged." + std::to_string(i);
        if (::link(file.c_str(), aside.c_str()) == 0) return 0;
        if (errno == EEXIST) continue;
        // No hard links here (or not for this file): move it instead, still never replacing.
        if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) return 0;
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

PendingFile::~PendingFile() {
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

int PendingFile::write(std::string_view bytes) {
    std::string name = target_.string() + ".XXXXXX";
    UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.get() < 0) return errno;
    temp_ = name;
    if (int error = writeAll(fd.get(), bytes)) return error;
    if (::fsync(fd.get()) != 0) return errno;
    return fd.close();
}

int PendingFile::commit() {
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return errno;
    temp_.clear();
    // Makes the rename itself durable; a folder that cannot be synced still has the new file.
    UniqueFd folder(::open(target_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return 0;
}

}  // namespace platform::linuxfs
