#include "platform/linux/registry/FileRegistry.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/Types.h"

namespace platform::linux_::registry {

namespace {

constexpr std::string_view kRootName = "HKEY_CURRENT_USER";
// Keys every Windows profile has, so they exist here without a section of their own (an
// export of the maker's keys does not show them either).
constexpr std::string_view kStandardKey = "HKEY_CURRENT_USER\\Software";
// The predefined root handles of the Windows API; an open key never gets one of these numbers.
constexpr Handle kFirstRootHandle = 0x80000000u;
constexpr Handle kLastRootHandle = 0x800000ffu;

bool isStandardKey(std::string_view path) { return sameName(path, kRootName) || sameName(path, kStandardKey); }

// The full path of `subKey` below `base`; nullopt when it cannot name a key.
std::optional<std::string> childPath(const std::string& base, std::string_view subKey) {
    auto sub = normalizeKeyPath(subKey);
    if (!sub) return std::nullopt;
    return sub->empty() ? base : base + '\\' + *sub;
}

// Gives every key from the root down to `path` a section of its own. Returns whether it
// added any.
bool addSectionsAlong(RegDocument& doc, std::string_view path) {
    bool added = false;
    for (auto cut = path.find('\\'); cut != std::string_view::npos; cut = path.find('\\', cut + 1))
        if (!isStandardKey(path.substr(0, cut))) added |= addSection(doc, path.substr(0, cut));
    if (!isStandardKey(path)) added |= addSection(doc, path);
    return added;
}

// Whether every key from the root down to `path` has its section (the standard keys need none).
bool hasSectionsAlong(const RegDocument& doc, std::string_view path) {
    for (auto cut = path.find('\\'); cut != std::string_view::npos; cut = path.find('\\', cut + 1))
        if (!isStandardKey(path.substr(0, cut)) && !findSection(doc, path.substr(0, cut))) return false;
    return isStandardKey(path) || findSection(doc, path);
}

bool isValueName(std::string_view name) { return std::all_of(name.begin(), name.end(), isTextByte); }

}  // namespace

std::filesystem::path FileRegistry::defaultPath() {
    std::filesystem::path config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {  // a relative value is to be ignored
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* user = ::getpwuid(::getuid());
            home = user ? user->pw_dir : "/";
        }
        config = std::filesystem::path(home) / ".config";
    }
    return config / "Orlenda" / "registry.reg";
}

std::optional<std::string> FileRegistry::pathOf(Handle key) const {
    if (key == HKEY_CURRENT_USER) return std::string(kRootName);
    std::lock_guard lock(mutex_);
    auto it = handles_.find(key);
    if (it == handles_.end()) return std::nullopt;
    return it->second;
}

Handle FileRegistry::addHandle(std::string path) {
    std::lock_guard lock(mutex_);
    do {
        ++lastHandle_;
    } while (lastHandle_ == 0 || (lastHandle_ >= kFirstRootHandle && lastHandle_ <= kLastRootHandle) ||
             handles_.contains(lastHandle_));
    handles_.emplace(lastHandle_, std::move(path));
    return lastHandle_;
}

std::int32_t FileRegistry::RegOpenKeyEx(Handle root, const std::string& subKey, std::uint32_t, std::uint32_t,
                                        Handle& key) {
    key = 0;
    auto base = pathOf(root);
    if (!base) return ERROR_INVALID_HANDLE;
    auto path = childPath(*base, subKey);
    if (!path || (!isStandardKey(*path) && !keyExists(*store_.load(), *path))) return ERROR_FILE_NOT_FOUND;
    key = addHandle(std::move(*path));
    return ERROR_SUCCESS;
}

std::int32_t FileRegistry::RegQueryValueEx(Handle key, const std::string& valueName, std::uint32_t* type,
                                           std::uint8_t* data, std::uint32_t* dataSize) {
    auto path = pathOf(key);
    if (!path) return ERROR_INVALID_HANDLE;
    if (data && !dataSize) return kErrorInvalidParameter;
    auto doc = store_.load();
    const auto* section = findSection(*doc, *path);
    const auto* value = section ? findValue(*section, valueName) : nullptr;
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (type) *type = value->type;
    if (!dataSize) return ERROR_SUCCESS;
    auto size = static_cast<std::uint32_t>(value->data.size());  // bounded by the file size limit
    bool fits = size <= *dataSize;
    *dataSize = size;
    if (!data) return ERROR_SUCCESS;
    if (!fits) return ERROR_MORE_DATA;
    std::copy(value->data.begin(), value->data.end(), data);
    return ERROR_SUCCESS;
}

std::int32_t FileRegistry::RegCreateKeyEx(Handle root, const std::string& subKey, const std::string&,
                                          std::uint32_t, std::uint32_t, Handle& key, std::uint32_t* disposition) {
    key = 0;
    auto base = pathOf(root);
    if (!base) return ERROR_INVALID_HANDLE;
    auto path = childPath(*base, subKey);
    if (!path) return kErrorInvalidParameter;
    bool existed = true;
    auto addMissing = [&](RegDocument& doc) {
        existed = isStandardKey(*path) || keyExists(doc, *path);
        return addSectionsAlong(doc, *path);
    };
    // Usually everything is there already: then nothing is locked, created or written.
    auto snapshot = store_.load();
    existed = isStandardKey(*path) || keyExists(*snapshot, *path);
    if (!hasSectionsAlong(*snapshot, *path)) {
        if (auto status = store_.update(addMissing)) return status;
    }
    if (disposition) *disposition = existed ? 2u : 1u;  // REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY
    key = addHandle(std::move(*path));
    return ERROR_SUCCESS;
}

std::int32_t FileRegistry::RegSetValueEx(Handle key, const std::string& valueName, std::uint32_t type,
                                         const std::uint8_t* data, std::uint32_t dataSize) {
    auto path = pathOf(key);
    if (!path) return ERROR_INVALID_HANDLE;
    if ((!data && dataSize) || !isValueName(valueName)) return kErrorInvalidParameter;
    RegValue value{valueName, type, {}, {}};
    if (data) value.data.assign(data, data + dataSize);
    // Writing back what is there already (the language at every start) needs no lock and no write.
    auto snapshot = store_.load();
    const auto* section = findSection(*snapshot, *path);
    const auto* old = section ? findValue(*section, valueName) : nullptr;
    if (old && old->type == type && old->data == value.data) return ERROR_SUCCESS;
    return store_.update([&](RegDocument& doc) {
        // The key may have gone meanwhile (removed by hand, or a damaged file): the value is
        // still worth keeping, so its key comes back.
        bool added = addSectionsAlong(doc, *path);
        added = addSection(doc, *path) || added;  // a standard key gets one once it has values
        return storeValue(*findSection(doc, *path), value) || added;
    });
}

void FileRegistry::beginBatch() { store_.beginBatch(); }
std::int32_t FileRegistry::commitBatch() { return store_.commitBatch(); }

std::int32_t FileRegistry::RegCloseKey(Handle key) {
    if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
    std::lock_guard lock(mutex_);
    return handles_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace platform::linux_::registry
