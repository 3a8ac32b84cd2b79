#include "platform/linux/registry/RegFileStore.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/Warn.h"
#include "platform/Types.h"
#include "platform/linux/registry/RegFormat.h"

namespace platform::linux_::registry {

namespace {

std::int32_t statusOf(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kErrorDiskFull;
    default: return kErrorRegistryIoFailed;
    }
}

}  // namespace

std::shared_ptr<const RegFileStore::Loaded> RegFileStore::read() const {
    auto now = identityOf(file_);
    {
        std::lock_guard lock(cacheMutex_);
        if (now && cached_ && *now == cachedIdentity_) return cached_;
    }
    auto content = readSmallFile(file_, kMaxRegistryFileSize);
    auto loaded = std::make_shared<Loaded>();
    switch (content.outcome) {
    case FileRead::Outcome::Missing: return loaded;
    case FileRead::Outcome::NotAFile: loaded->damage = "not a regular file"; return loaded;
    case FileRead::Outcome::Failed: loaded->damage = std::strerror(content.error); return loaded;
    case FileRead::Outcome::TooLarge: loaded->damage = "larger than 4 MiB"; break;
    case FileRead::Outcome::Read:
        if (content.bytes.empty()) break;  // nothing in it to keep
        auto parsed = parseRegFile(content.bytes);
        if (parsed.document)
            loaded->doc = std::move(*parsed.document);
        else
            loaded->damage = parsed.error;
        break;
    }
    std::lock_guard lock(cacheMutex_);
    cached_ = loaded;
    cachedIdentity_ = content.identity;
    return loaded;
}

std::shared_ptr<const RegDocument> RegFileStore::load() const {
    if (batch_.doc) return batch_.doc;
    auto loaded = read();
    return {loaded, &loaded->doc};
}

std::int32_t RegFileStore::update(const std::function<bool(RegDocument&)>& edit) {
    if (batch_.depth > 0) {
        if (batch_.status != ERROR_SUCCESS) return batch_.status;
        batch_.changed = edit(*batch_.doc) || batch_.changed;
        return ERROR_SUCCESS;
    }
    posix::UniqueFd lock;
    if (auto status = acquire(lock)) return status;
    auto current = read();
    RegDocument doc = current->doc;
    if (!edit(doc)) return ERROR_SUCCESS;
    return write(std::move(doc), *current);
}

void RegFileStore::beginBatch() {
    if (batch_.depth++ > 0) return;
    batch_.status = acquire(batch_.lock);
    if (batch_.status != ERROR_SUCCESS) return;
    batch_.base = read();
    batch_.doc = std::make_shared<RegDocument>(batch_.base->doc);
    batch_.changed = false;
}

std::int32_t RegFileStore::commitBatch() {
    if (batch_.depth == 0 || --batch_.depth > 0) return ERROR_SUCCESS;
    Batch done = std::move(batch_);  // the lock goes with it, after the write
    batch_ = Batch{};
    if (done.status != ERROR_SUCCESS || !done.changed) return done.status;
    return write(std::move(*done.doc), *done.base);
}

std::int32_t RegFileStore::acquire(posix::UniqueFd& lock) {
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    if (ec) return failed("cannot create the folder of", ec.value());
    if (int error = lockFolder(file_.parent_path(), lockWait_, lock)) {
        if (error != ETIMEDOUT) return failed("cannot lock the folder of", error);
        if (!toldLocked_.exchange(true))
            base::warn("settings not saved: another program held the lock on " + file_.parent_path().string() +
                       " for more than " + std::to_string(lockWait_.count()) + " ms");
        return kErrorRegistryIoFailed;
    }
    removeStaleTemporaries(file_);
    return ERROR_SUCCESS;
}

std::int32_t RegFileStore::write(RegDocument doc, const Loaded& base) {
    auto text = serializeRegFile(doc);
    // Written larger, the file would read back as damaged and every setting would be lost.
    if (text.size() > kMaxRegistryFileSize) return kErrorInvalidParameter;

    std::filesystem::path target;
    if (int error = followLinks(file_, target)) return failed("cannot follow the links to the", error);
    if (target != file_) removeStaleTemporaries(target);
    mode_t mode = S_IRUSR | S_IWUSR;
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        if ((info.st_mode & S_IWUSR) == 0) return failed("will not change the read-only", EACCES);
        // The owner keeps reading and writing it: a file we cannot read again is damage.
        mode |= info.st_mode & 07777;
    }

    PendingFile pending(target);
    if (int error = pending.write(text, mode)) return failed("cannot write", error);
    std::filesystem::path aside;
    if (base.damage) {
        if (int error = keepAside(target, aside)) return failed("cannot set aside the damaged", error);
    }
    FileIdentity identity;
    if (int error = pending.commit(identity)) return failed("cannot replace", error);
    failing_ = false;
    if (base.damage)
        base::warn("registry file " + file_.string() + " was damaged (" + *base.damage + "); kept it as " +
                   aside.string() + " and started a new one");
    std::lock_guard lock(cacheMutex_);
    cached_ = std::make_shared<Loaded>(Loaded{std::move(doc), std::nullopt});
    cachedIdentity_ = identity;
    return ERROR_SUCCESS;
}

std::int32_t RegFileStore::failed(const char* what, int error) {
    if (!failing_.exchange(true))
        base::warn(std::string("settings not saved: ") + what + " registry file " + file_.string() + ": " +
                   std::strerror(error));
    return statusOf(error);
}

}  // namespace platform::linux_::registry
