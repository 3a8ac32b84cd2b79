#pragma once
// The registry: a tree of keys under a root, each holding named values of a type and some bytes.
// The operations take the registry's own arguments and give its own status codes
// (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a missing key or value, ERROR_MORE_DATA for a value
// longer than the buffer, ...). Names are ANSI strings and compare case-insensitively.
#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace platform {

class Registry {
public:
    virtual ~Registry() = default;

    // Opens an existing key below `root` for the given access. On success `key` receives a handle
    // that must be given back with RegCloseKey.
    virtual std::int32_t RegOpenKeyEx(Handle root, const std::string& subKey, std::uint32_t options,
                                      std::uint32_t access, Handle& key) = 0;

    // Reads a value into `data` (may be null to ask only for type and size). On entry `dataSize`
    // is the buffer's size; on return the number of bytes the value has. A value longer than the
    // buffer gives ERROR_MORE_DATA and leaves the buffer unspecified.
    virtual std::int32_t RegQueryValueEx(Handle key, const std::string& valueName, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* dataSize) = 0;

    // Opens a key, creating it and every missing key along the path.
    virtual std::int32_t RegCreateKeyEx(Handle root, const std::string& subKey, const std::string& keyClass,
                                        std::uint32_t options, std::uint32_t access, Handle& key,
                                        std::uint32_t* disposition) = 0;

    // Stores a value of the given type and bytes, replacing any value of that name.
    virtual std::int32_t RegSetValueEx(Handle key, const std::string& valueName, std::uint32_t type,
                                       const std::uint8_t* data, std::uint32_t dataSize) = 0;

    virtual std::int32_t RegCloseKey(Handle key) = 0;

    // The writes made between these reach other processes together, all or none, where the back
    // end can promise that (a store shared as one file); elsewhere each write stands alone. Calls
    // nest; the outermost commit gives the status of the whole, writes inside may report success
    // before it.
    virtual void beginBatch() {}
    virtual std::int32_t commitBatch() { return ERROR_SUCCESS; }
};

}  // namespace platform
