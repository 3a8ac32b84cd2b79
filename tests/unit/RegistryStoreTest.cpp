// The settings store: 2-byte values, defaults, status codes, and keys always closed.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "settings/RegistryStore.h"

namespace {

using platform::fake::FakePlatform;
using namespace testsupport;
using settings::regReadWord;
using settings::regWriteWord;

constexpr platform::Handle kUser = platform::HKEY_CURRENT_USER;

class RegistryStoreTest : public ::testing::Test {
protected:
    // Reads a value of the program's key.
    std::int32_t read(const std::string& name, std::int32_t defaultValue, std::int32_t& result) {
        return regReadWord(kUser, programKey(), name, defaultValue, result);
    }

    FakePlatform fake;
};

TEST_F(RegistryStoreTest, FourByteValueIsTooLongAndGivesTheDefault) {
    storeBytes(fake, programKey(), "Zoom", Bytes{5, 0, 0, 0}, platform::REG_DWORD);
    std::int32_t result = 0;
    EXPECT_EQ(read("Zoom", 77, result), platform::ERROR_MORE_DATA);
    EXPECT_EQ(result, 77);
    EXPECT_EQ(settings::loadSetting(settings::kProgramKeyName, "Zoom", 3), 3);
    EXPECT_EQ(fake.registry.openKeys(), 0u);
}

TEST_F(RegistryStoreTest, EmptyLanguageValueReadsAsZero) {
    storeBytes(fake, familyKey(), "Language", Bytes{});
    std::int32_t result = -1;
    EXPECT_EQ(regReadWord(kUser, familyKey(), "Language", 0, result), platform::ERROR_SUCCESS);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(settings::loadLanguage(), 0);
}

TEST_F(RegistryStoreTest, TypeIsIgnoredAndTheBytesAreTheNumber) {
    storeBytes(fake, programKey(), "Zoom", Bytes{'7', 0}, platform::REG_SZ);
    std::int32_t result = 0;
    EXPECT_EQ(read("Zoom", 0, result), platform::ERROR_SUCCESS);
    EXPECT_EQ(result, 55);
}

TEST_F(RegistryStoreTest, OneByteValueReplacesOnlyTheLowByteOfTheDefault) {
    storeBytes(fake, programKey(), "WindowLeft", Bytes{0x05});
    std::int32_t result = 0;
    EXPECT_EQ(read("WindowLeft", 32767, result), platform::ERROR_SUCCESS);
    EXPECT_EQ(result, 32517);  // 0x7F05
}

TEST_F(RegistryStoreTest, WritingKeepsOnlyTheLow16Bits) {
    EXPECT_EQ(settings::saveSetting(settings::kProgramKeyName, "WindowWidth", 70000), platform::ERROR_SUCCESS);
    const auto value = fake.registry.get(programKey(), "WindowWidth");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, platform::REG_BINARY);
    EXPECT_EQ(value->data, (Bytes{0x70, 0x11}));
    EXPECT_EQ(settings::loadSetting(settings::kProgramKeyName, "WindowWidth", 0), 4464);
    EXPECT_EQ(settings::loadSetting(settings::kProgramKeyName, "WindowWidth", 32767), 4464);
}

TEST_F(RegistryStoreTest, MinusOneIsStoredAsFFFFAndReadAs65535) {
    EXPECT_EQ(regWriteWord(kUser, programKey(), "WindowLeft", -1), platform::ERROR_SUCCESS);
    EXPECT_EQ(storedBytes(fake, programKey(), "WindowLeft"), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(settings::loadSetting(settings::kProgramKeyName, "WindowLeft", 32767), 65535);
    EXPECT_EQ(settings::loadSetting(settings::kProgramKeyName, "WindowLeft", 0), 65535);
}

TEST_F(RegistryStoreTest, ClampsPutTheUpperBoundLast) {
    EXPECT_EQ(settings::clampLong(1, 18, 0), 1);
    EXPECT_EQ(settings::clampLong(1, 18, 65535), 18);
    EXPECT_EQ(settings::clampLong(1, 18, 7), 7);
    EXPECT_EQ(settings::clampLong(5, 3, 4), 3);
    EXPECT_EQ(settings::clampLong(5, 3, 1), 3);
    EXPECT_EQ(settings::clampLong(0, 32767, -100000), 0);
    EXPECT_EQ(settings::clampInt(0, 32767, -5), 0);
    EXPECT_EQ(settings::clampInt(0, 32767, 32767), 32767);
    EXPECT_EQ(settings::clampInt(5, 3, 9), 3);
}

TEST_F(RegistryStoreTest, NoRootKeyMakesNoCallAndGivesTheDefault) {
    std::int32_t result = 0;
    EXPECT_EQ(regReadWord(0, programKey(), "Zoom", 42, result), settings::kStatusNoCall);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(regWriteWord(0, programKey(), "Zoom", 5), settings::kStatusNoCall);
    EXPECT_FALSE(fake.registry.hasKey(familyKey()));
    EXPECT_TRUE(fake.registry.writeLog().empty());
}

TEST_F(RegistryStoreTest, FirstRunGivesTheDefaults) {
    EXPECT_EQ(settings::loadLanguage(), 1);
    EXPECT_EQ(settings::loadSetting(settings::kProgramKeyName, "Zoom", 2), 2);
    EXPECT_EQ(settings::loadSetting(settings::kProgramKeyName, "WindowWidth", 32767), 32767);
    std::int32_t result = 0;
    EXPECT_EQ(read("Zoom", 11, result), platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(result, 11);
}

TEST_F(RegistryStoreTest, MissingValueInAnExistingKeyGivesTheDefault) {
    storeSetting(fake, "Zoom", 4);
    EXPECT_EQ(settings::loadSetting(settings::kProgramKeyName, "WindowTop", 32767), 32767);
    EXPECT_EQ(fake.registry.openKeys(), 0u);
}

TEST_F(RegistryStoreTest, FirstWriteCreatesTheKeyAndEveryKeyAboveIt) {
    ASSERT_FALSE(fake.registry.hasKey("Software"));
    EXPECT_EQ(settings::saveSetting(settings::kProgramKeyName, "Zoom", 3), platform::ERROR_SUCCESS);
    EXPECT_TRUE(fake.registry.hasKey("Software"));
    EXPECT_TRUE(fake.registry.hasKey(familyKey()));
    EXPECT_TRUE(fake.registry.hasKey(programKey()));
    EXPECT_EQ(storedNumber(fake, programKey(), "Zoom"), 3);
    EXPECT_EQ(fake.registry.openKeys(), 0u);
}

TEST_F(RegistryStoreTest, EachToolHasItsKeyBelowTheFamilyKey) {
    EXPECT_EQ(familyKey(), "Software\\Orlenda");
    EXPECT_EQ(programKey(), "Software\\Orlenda\\Kitmora Magnifier");
    EXPECT_EQ(settings::saveSetting("Kitmora Ruler", "Zoom", 4), platform::ERROR_SUCCESS);
    EXPECT_EQ(storedNumber(fake, base::programKeyPath("Kitmora Ruler"), "Zoom"), 4);
    EXPECT_EQ(storedNumber(fake, "Software\\Orlenda\\Kitmora Ruler", "Zoom"), 4);
    EXPECT_EQ(settings::loadSetting("Kitmora Ruler", "Zoom", 2), 4);
}

TEST_F(RegistryStoreTest, LanguageLivesInTheFamilyKey) {
    EXPECT_TRUE(settings::saveLanguage(0));
    EXPECT_EQ(storedBytes(fake, familyKey(), "Language"), (Bytes{0, 0}));
    EXPECT_FALSE(fake.registry.get(programKey(), "Language"));
    EXPECT_EQ(settings::loadLanguage(), 0);
}

TEST_F(RegistryStoreTest, FailingQueryStillClosesTheKey) {
    storeSetting(fake, "Zoom", 6);
    fake.registry.failQuery = platform::ERROR_ACCESS_DENIED;
    std::int32_t result = 0;
    EXPECT_EQ(read("Zoom", 2, result), platform::ERROR_ACCESS_DENIED);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(fake.registry.openKeys(), 0u);
    EXPECT_EQ(settings::loadLanguage(), 1);
    EXPECT_EQ(fake.registry.openKeys(), 0u);
}

TEST_F(RegistryStoreTest, FailingSetStillClosesTheKey) {
    fake.registry.failSet = platform::ERROR_ACCESS_DENIED;
    EXPECT_EQ(regWriteWord(kUser, programKey(), "Zoom", 3), platform::ERROR_ACCESS_DENIED);
    EXPECT_EQ(fake.registry.openKeys(), 0u);
    EXPECT_FALSE(settings::saveLanguage(1));
    EXPECT_EQ(fake.registry.openKeys(), 0u);
    EXPECT_FALSE(fake.registry.get(programKey(), "Zoom"));
}

TEST_F(RegistryStoreTest, FailingOpenOrCreateGivesItsStatus) {
    storeSetting(fake, "Zoom", 6);
    fake.registry.failOpen = platform::ERROR_ACCESS_DENIED;
    std::int32_t result = 0;
    EXPECT_EQ(read("Zoom", 2, result), platform::ERROR_ACCESS_DENIED);
    EXPECT_EQ(result, 2);
    fake.registry.failCreate = platform::ERROR_ACCESS_DENIED;
    EXPECT_EQ(regWriteWord(kUser, programKey(), "Zoom", 3), platform::ERROR_ACCESS_DENIED);
    EXPECT_EQ(storedNumber(fake, programKey(), "Zoom"), 6);
    EXPECT_EQ(fake.registry.openKeys(), 0u);
}

TEST_F(RegistryStoreTest, FailingCloseIsReported) {
    storeSetting(fake, "Zoom", 6);
    fake.registry.failClose = platform::ERROR_INVALID_HANDLE;
    std::int32_t result = 0;
    EXPECT_EQ(read("Zoom", 2, result), platform::ERROR_INVALID_HANDLE);
    EXPECT_EQ(regWriteWord(kUser, programKey(), "Zoom", 3), platform::ERROR_INVALID_HANDLE);
    EXPECT_EQ(fake.registry.openKeys(), 0u);
}

TEST(RegistryStoreWithoutBackEnd, NothingInstalledIsAStatusNotAnException) {
    // No platform services at all: the store says so through its status and default.
    std::int32_t result = 0;
    EXPECT_EQ(regReadWord(kUser, programKey(), "Zoom", 2, result), settings::kStatusNoCall);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(regWriteWord(kUser, programKey(), "Zoom", 2), settings::kStatusNoCall);
    EXPECT_EQ(settings::loadLanguage(), 1);
}

}  // namespace
