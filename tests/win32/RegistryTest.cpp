// The real registry through the Win32 back end, held to what every back end's registry does, and
// what only the Win32 back end has to get right: the 64-bit spelling of the root key.
#include <cstdint>
#include <string>
#include <vector>

#include "RegistryConformance.h"
#include "Win32TestSupport.h"

namespace win32test {
namespace {

class Win32RegistryBackend {
public:
    platform::Registry& registry() { return registry_; }
    const std::string& scratch() const { return scratch_.path(); }
    // Another program: the raw API, past the back end.
    void storeElsewhere(const std::string& keyPath, const std::string& name, std::uint32_t type,
                        const std::vector<std::uint8_t>& bytes) {
        putRaw(keyPath, name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    }

private:
    platform::win32::Win32Registry registry_;
    ScratchKey scratch_;
};

class RealRegistry : public ::testing::Test {
protected:
    Win32Services services;
    ScratchKey scratch;
};

TEST_F(RealRegistry, ThePlatformsRootIsTheSignExtendedHandleOfA64BitProcess) {
    // The platform's constant is 0x80000001; a 64-bit HKEY_CURRENT_USER is 0xFFFFFFFF80000001.
    // Wine accepts both, Windows need not: the back end hands over the real one.
    EXPECT_EQ(platform::win32::registryKey(kPlatformCurrentUser), HKEY_CURRENT_USER);
    EXPECT_EQ(platform::win32::registryKey(toHandle(HKEY_CURRENT_USER)), HKEY_CURRENT_USER);
    EXPECT_EQ(platform::win32::registryKey(toHandle(HKEY_LOCAL_MACHINE)), HKEY_LOCAL_MACHINE);
    // An opened key's handle passes unchanged.
    Handle key = 0;
    ASSERT_EQ(services.registry.RegCreateKeyEx(kPlatformCurrentUser, scratch.path(), "", 0, KEY_QUERY_VALUE, key,
                                               nullptr),
              0);
    EXPECT_EQ(platform::win32::registryKey(key), fromHandle<HKEY>(key));
    EXPECT_EQ(services.registry.RegCloseKey(key), 0);
}

}  // namespace
}  // namespace win32test

namespace conformance {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32Registry, RegistryConformance, win32test::Win32RegistryBackend);
}  // namespace conformance
