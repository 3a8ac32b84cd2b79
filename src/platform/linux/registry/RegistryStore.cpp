#include "platform/linux/registry/RegistryStore.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "platform/Types.h"
#include "platform/linux/registry/PosixFiles.h"
#include "platform/linux/registry/RegFormat.h"

namespace platform::linuxfs {

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

RegistryStore::Loaded RegistryStore::read() const {
    auto content = readSmallFile(file_, kMaxRegistryFileSize);
    switch (content.outcome) {
    case FileRead::Outcome::Missing: return {};
    case FileRead::Outcome::TooLarge: return {{}, "larger than 4 MiB"};
    case FileRead::Outcome::NotAFile: return {{}, "not a regular file"};
    case FileRead::Outcome::Failed: return {{}, std::strerror(content.error)};
    case FileRead::Outcome::Read: break;
    }
    if (content.bytes.empty()) return {};  // nothing in it to keep
    auto parsed = parseRegFile(content.bytes);
    if (!parsed.document) return {{}, parsed.error};
    return {std::move(*parsed.document), std::nullopt};
}

std::int32_t RegistryStore::update(const std::function<bool(RegDocument&)>& edit) {
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    if (ec) return failed("cannot create the folder of", ec.value());
    UniqueFd lock;
    if (int error = lockFolder(file_.parent_path(), lock)) return failed("cannot lock the folder of", error);

    auto current = read();
    if (!edit(current.doc)) return ERROR_SUCCESS;
    auto text = serializeRegFile(current.doc);
    // Written larger, the file would read back as damaged and every setting would be lost.
    if (text.size() > kMaxRegistryFileSize) return kErrorInvalidParameter;

    PendingFile pending(file_);
    if (int error = pending.write(text)) return failed("cannot write", error);
    std::filesystem::path aside;
    if (current.damage) {
        if (int error = keepAside(file_, aside)) return failed("cannot set aside the damaged", error);
    }
    if (int error = pending.commit()) return failed("cannot replace", error);
    failing_ = false;
    if (current.damage)
        std::cerr << program_invocation_short_name << ": registry file " << file_.string() << " was damaged (" << *current.damage << "); kept it as "
                  << aside.string() << " and started a new one\n";
    return ERROR_SUCCESS;
}

std::int32_t RegistryStore::failed(const char* what, int error) {
    if (!failing_.exchange(true))
        std::cerr << program_invocation_short_name << ": settings not saved: " << what << " registry file " << file_.string() << ": "
                  << std::strerror(error) << '\n';
    return statusOf(error);
}

}  // namespace platform::linuxfs
