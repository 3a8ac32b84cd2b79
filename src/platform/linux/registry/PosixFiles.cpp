#include "platform/linux/registry/PosixFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <thread>

namespace platform::linux_::registry {

using posix::UniqueFd;

namespace {

// Candidates for a damaged file's new name; past this many the folder is surely not sane.
constexpr int kMaxAsideNames = 1000;

// Beyond this many links in a row the kernel itself gives up (ELOOP).
constexpr int kMaxLinks = 40;
// A temporary file for `registry.reg` is `.registry.reg.tmp-` and the six characters mkstemp
// puts for XXXXXX: hidden, and a shape no person or other program gives a file by chance, so the
// clean-up after a killed writer can never take a user's `registry.reg.backup` for one.
constexpr std::string_view kTempInfix = ".tmp-";
constexpr std::string_view kTempSuffix = "XXXXXX";
constexpr std::chrono::milliseconds kLockPoll{10};

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

FileIdentity identityFrom(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

std::string tempPrefix(std::string_view base) { return "." + std::string(base) + std::string(kTempInfix); }

bool isTempName(std::string_view name, std::string_view base) {
    const auto prefix = tempPrefix(base);
    if (name.size() != prefix.size() + kTempSuffix.size() || !name.starts_with(prefix)) return false;
    name.remove_prefix(prefix.size());
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
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

bool FileIdentity::operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           sameTime(modified, other.modified) && sameTime(changed, other.changed);
}

std::optional<FileIdentity> identityOf(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return std::nullopt;
    return identityFrom(info);
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
    if (!S_ISREG(info.st_mode)) return {FileRead::Outcome::NotAFile, {}, 0, {}};
    result.identity = identityFrom(info);
    char buffer[65536];
    for (;;) {
        auto n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {FileRead::Outcome::Failed, {}, errno, result.identity};
        if (n == 0) break;
        result.bytes.append(buffer, static_cast<std::size_t>(n));
        // Checked while reading rather than by size up front: the file may grow meanwhile.
        if (result.bytes.size() > limit) return {FileRead::Outcome::TooLarge, {}, 0, result.identity};
    }
    result.outcome = FileRead::Outcome::Read;
    return result;
}

int lockFolder(const std::filesystem::path& folder, std::chrono::milliseconds wait, UniqueFd& lock) {
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) return errno;
    // Polled rather than blocking, so that a holder that never lets go cannot hold this
    // program up for longer than `wait`.
    auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return errno;
        auto left = deadline - std::chrono::steady_clock::now();
        if (left <= left.zero()) return ETIMEDOUT;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kLockPoll));
    }
    lock = std::move(fd);
    return 0;
}

int followLinks(const std::filesystem::path& file, std::filesystem::path& target) {
    target = file;
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, ec))) return 0;
        auto next = std::filesystem::read_symlink(target, ec);
        if (ec) return ec.value();
        // A relative link is relative to the folder the link is in; not normalised, since the
        // folders on the way may be links themselves.
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return ELOOP;
}

void removeStaleTemporaries(const std::filesystem::path& file) {
    const auto base = file.filename().string();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(file.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        const auto& path = it->path();
        struct stat info {};
        if (!isTempName(path.filename().string(), base) || ::lstat(path.c_str(), &info) != 0) continue;
        if (S_ISREG(info.st_mode) && info.st_uid == ::geteuid()) ::unlink(path.c_str());
    }
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

int PendingFile::write(std::string_view bytes, mode_t mode) {
    std::string name = (target_.parent_path() / tempPrefix(target_.filename().string())).string() + std::string(kTempSuffix);
    UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.get() < 0) return errno;
    temp_ = name;
    if (::fchmod(fd.get(), mode) != 0) return errno;
    if (int error = writeAll(fd.get(), bytes)) return error;
    if (::fsync(fd.get()) != 0) return errno;
    written_ = UniqueFd(::dup(fd.get()));
    if (written_.get() < 0) return errno;
    return fd.close();
}

int PendingFile::commit(FileIdentity& identity) {
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return errno;
    temp_.clear();
    // Taken after the rename, which changes the file's status time.
    struct stat info {};
    if (::fstat(written_.get(), &info) == 0) identity = identityFrom(info);
    written_.close();
    // Makes the rename itself durable; a folder that cannot be synced still has the new file.
    UniqueFd folder(::open(target_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return 0;
}

}  // namespace platform::linux_::registry
