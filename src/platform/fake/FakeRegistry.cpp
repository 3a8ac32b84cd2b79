#include "platform/fake/FakeRegistry.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace platform::fake {
namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

std::string FakeRegistry::normalise(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

std::int32_t FakeRegistry::RegOpenKeyEx(Handle root, const std::string& subKey, std::uint32_t, std::uint32_t,
                                        Handle& key) {
    if (root != HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
    if (failOpen != 0) return failOpen;
    const std::string path = normalise(subKey);
    if (keys_.find(path) == keys_.end()) return ERROR_FILE_NOT_FOUND;
    key = next_++;
    handles_[key] = path;
    return ERROR_SUCCESS;
}

std::int32_t FakeRegistry::RegQueryValueEx(Handle key, const std::string& valueName, std::uint32_t* type,
                                           std::uint8_t* data, std::uint32_t* dataSize) {
    auto handle = handles_.find(key);
    if (handle == handles_.end()) return ERROR_INVALID_HANDLE;
    if (failQuery != 0) return failQuery;
    const Key& k = keys_[handle->second];
    auto value = k.values.find(lower(valueName));
    if (value == k.values.end()) return ERROR_FILE_NOT_FOUND;
    if (type != nullptr) *type = value->second.type;
    const auto size = static_cast<std::uint32_t>(value->second.data.size());
    if (data != nullptr && dataSize != nullptr && size > *dataSize) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr && size > 0) std::memcpy(data, value->second.data.data(), size);
    if (dataSize != nullptr) *dataSize = size;
    return ERROR_SUCCESS;
}

std::int32_t FakeRegistry::RegCreateKeyEx(Handle root, const std::string& subKey, const std::string&, std::uint32_t,
                                          std::uint32_t, Handle& key, std::uint32_t* disposition) {
    if (root != HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
    if (failCreate != 0) return failCreate;
    const std::string path = normalise(subKey);
    const bool existed = keys_.count(path) != 0;
    // Every missing key along the path is created too.
    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
        keys_[path.substr(0, at)];
    }
    keys_[path];
    if (disposition != nullptr) *disposition = existed ? 2 : 1;
    key = next_++;
    handles_[key] = path;
    return ERROR_SUCCESS;
}

std::int32_t FakeRegistry::RegSetValueEx(Handle key, const std::string& valueName, std::uint32_t type,
                                         const std::uint8_t* data, std::uint32_t dataSize) {
    auto handle = handles_.find(key);
    if (handle == handles_.end()) return ERROR_INVALID_HANDLE;
    if (failSet != 0) return failSet;
    keys_[handle->second].values[lower(valueName)] = RegistryValue{type, std::vector<std::uint8_t>(data, data + dataSize)};
    writeLog_.push_back(valueName);
    if (openBatches_ > 0) ++batchedWrites_;
    return ERROR_SUCCESS;
}

std::int32_t FakeRegistry::RegCloseKey(Handle key) {
    if (handles_.erase(key) == 0) return ERROR_INVALID_HANDLE;
    return failClose;
}

void FakeRegistry::put(const std::string& keyPath, const std::string& valueName, RegistryValue value) {
    Handle key = 0;
    RegCreateKeyEx(HKEY_CURRENT_USER, keyPath, "", 0, 0, key, nullptr);
    handles_.erase(key);
    keys_[normalise(keyPath)].values[lower(valueName)] = std::move(value);
}

std::optional<RegistryValue> FakeRegistry::get(const std::string& keyPath, const std::string& valueName) const {
    auto k = keys_.find(normalise(keyPath));
    if (k == keys_.end()) return std::nullopt;
    auto v = k->second.values.find(lower(valueName));
    if (v == k->second.values.end()) return std::nullopt;
    return v->second;
}

bool FakeRegistry::hasKey(const std::string& keyPath) const { return keys_.count(normalise(keyPath)) != 0; }

}  // namespace platform::fake
