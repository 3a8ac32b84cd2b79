// The settings store's edge cases on the real registry, through the Win32 back end: what a 2-byte
// read makes of values of other types and sizes, and keys created along a whole path.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/RegistryStore.h"
#include "Win32TestSupport.h"

namespace win32test {
namespace {

class RealRegistry : public ::testing::Test {
protected:
    Win32Services services;
    ScratchKey scratch;
};

TEST_F(RealRegistry, ADwordReadIntoTwoBytesGivesMoreDataAndItsSize) {
    const DWORD value = 0x12345678;
    scratch.put("Number", REG_DWORD, &value, sizeof value);

    Handle key = 0;
    ASSERT_EQ(services.registry.RegOpenKeyEx(kPlatformCurrentUser, scratch.path(), 0, KEY_QUERY_VALUE, key), 0);
    std::uint8_t buffer[2] = {0xEE, 0xEE};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(services.registry.RegQueryValueEx(key, "Number", &type, buffer, &size), 234);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, static_cast<std::uint32_t>(REG_DWORD));
    EXPECT_EQ(services.registry.RegCloseKey(key), 0);

    // The store passes the status on and keeps the default.
    std::int32_t result = 0;
    EXPECT_EQ(settings::regReadWord(kPlatformCurrentUser, scratch.path(), "Number", 77, result), 234);
    EXPECT_EQ(result, 77);
}

TEST_F(RealRegistry, AStringSevenIsReadAsItsTwoBytes) {
    const char seven[] = "7";  // with its terminating zero: bytes 37 00
    scratch.put("Text", REG_SZ, seven, sizeof seven);

    Handle key = 0;
    ASSERT_EQ(services.registry.RegOpenKeyEx(kPlatformCurrentUser, scratch.path(), 0, KEY_QUERY_VALUE, key), 0);
    std::uint8_t buffer[2] = {0xEE, 0xEE};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(services.registry.RegQueryValueEx(key, "Text", &type, buffer, &size), 0);
    EXPECT_EQ(type, static_cast<std::uint32_t>(REG_SZ));
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(buffer[0], 0x37);
    EXPECT_EQ(buffer[1], 0x00);
    EXPECT_EQ(services.registry.RegCloseKey(key), 0);

    std::int32_t result = 0;
    EXPECT_EQ(settings::regReadWord(kPlatformCurrentUser, scratch.path(), "Text", 0x4000, result), 0);
    EXPECT_EQ(result, 55);
}

TEST_F(RealRegistry, AnEmptyValueIsASuccessThatKeepsTheDefault) {
    scratch.put("Empty", REG_BINARY, nullptr, 0);
    std::int32_t result = 0;
    EXPECT_EQ(settings::regReadWord(kPlatformCurrentUser, scratch.path(), "Empty", 0x1234, result), 0);
    EXPECT_EQ(result, 0x1234);
}

TEST_F(RealRegistry, AOneByteValueReplacesOnlyTheLowByte) {
    const std::uint8_t one = 0xAB;
    scratch.put("One", REG_BINARY, &one, 1);
    std::int32_t result = 0;
    EXPECT_EQ(settings::regReadWord(kPlatformCurrentUser, scratch.path(), "One", 0x1234, result), 0);
    EXPECT_EQ(result, 0x12AB);
}

TEST_F(RealRegistry, MissingKeysAndValuesAreNotFound) {
    std::int32_t result = 0;
    EXPECT_EQ(settings::regReadWord(kPlatformCurrentUser, scratch.path() + "\\Nowhere", "Zoom", 9, result), 2);
    EXPECT_EQ(result, 9);
    scratch.put("Other", REG_BINARY, "\x01\x02", 2);
    EXPECT_EQ(settings::regReadWord(kPlatformCurrentUser, scratch.path(), "Zoom", 9, result), 2);
    EXPECT_EQ(result, 9);
}

TEST_F(RealRegistry, CreatingAKeyMakesEveryKeyAlongThePath) {
    const std::string deep = scratch.path() + "\\One\\Two\\Three";
    Handle key = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(services.registry.RegCreateKeyEx(kPlatformCurrentUser, deep, "", 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                                               key, &disposition),
              0);
    EXPECT_NE(key, 0u);
    EXPECT_EQ(disposition, static_cast<std::uint32_t>(REG_CREATED_NEW_KEY));
    EXPECT_EQ(services.registry.RegCloseKey(key), 0);

    for (const std::string& path : {scratch.path() + "\\One", scratch.path() + "\\One\\Two", deep}) {
        Handle opened = 0;
        EXPECT_EQ(services.registry.RegOpenKeyEx(kPlatformCurrentUser, path, 0, KEY_QUERY_VALUE, opened), 0) << path;
        if (opened != 0) services.registry.RegCloseKey(opened);
    }

    ASSERT_EQ(services.registry.RegCreateKeyEx(kPlatformCurrentUser, deep, "", 0, KEY_SET_VALUE, key, &disposition), 0);
    EXPECT_EQ(disposition, static_cast<std::uint32_t>(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(services.registry.RegCloseKey(key), 0);
}

TEST_F(RealRegistry, AWrittenWordIsTwoBinaryBytesLowFirstAndReadsBack) {
    const std::string path = scratch.path() + "\\Family\\Tool";
    EXPECT_EQ(settings::regWriteWord(kPlatformCurrentUser, path, "Zoom", 0x12345), 0);
    DWORD type = 0;
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(readRaw(path, "Zoom", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x45, 0x23}));
    std::int32_t result = 0;
    EXPECT_EQ(settings::regReadWord(kPlatformCurrentUser, path, "Zoom", 0, result), 0);
    EXPECT_EQ(result, 0x2345);
}

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

TEST_F(RealRegistry, ValueNamesAreCaseInsensitive) {
    const std::uint8_t bytes[2] = {0x03, 0x00};
    scratch.put("WindowLeft", REG_BINARY, bytes, 2);
    std::int32_t result = 0;
    EXPECT_EQ(settings::regReadWord(kPlatformCurrentUser, scratch.path(), "WINDOWLEFT", 0, result), 0);
    EXPECT_EQ(result, 3);
}

}  // namespace
}  // namespace win32test
