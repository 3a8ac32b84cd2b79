// The open registry key: every way out of the code that opened it leaves no key open.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/RegistryKey.h"
#include "platform/fake/FakeRegistry.h"

namespace {

using platform::RegistryKey;
using platform::fake::FakeRegistry;
using platform::fake::RegistryValue;

const std::string kPath = "Software\\Test\\Key";
constexpr std::uint32_t kWrite = platform::KEY_SET_VALUE | platform::KEY_CREATE_SUB_KEY;

TEST(RegistryKey, IsClosedWhenItGoes) {
    FakeRegistry registry;
    {
        RegistryKey key(registry);
        EXPECT_FALSE(key.isOpen());
        ASSERT_EQ(key.create(platform::HKEY_CURRENT_USER, kPath, kWrite), platform::ERROR_SUCCESS);
        EXPECT_TRUE(key.isOpen());
        EXPECT_EQ(registry.openKeys(), 1u);
    }
    EXPECT_EQ(registry.openKeys(), 0u);
    EXPECT_TRUE(registry.hasKey(kPath));
}

TEST(RegistryKey, CloseGivesTheStatusOnceAndTheKeyIsNotClosedAgain) {
    FakeRegistry registry;
    RegistryKey key(registry);
    ASSERT_EQ(key.create(platform::HKEY_CURRENT_USER, kPath, kWrite), platform::ERROR_SUCCESS);
    registry.failClose = platform::ERROR_ACCESS_DENIED;
    EXPECT_EQ(key.close(), platform::ERROR_ACCESS_DENIED);
    EXPECT_FALSE(key.isOpen());
    EXPECT_EQ(registry.openKeys(), 0u);
    EXPECT_EQ(key.close(), platform::ERROR_INVALID_HANDLE);
}

TEST(RegistryKey, AFailedOpenOrCreateLeavesNothingOpen) {
    FakeRegistry registry;
    RegistryKey key(registry);
    EXPECT_EQ(key.open(platform::HKEY_CURRENT_USER, kPath, platform::KEY_QUERY_VALUE), platform::ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.isOpen());
    registry.failCreate = platform::ERROR_ACCESS_DENIED;
    EXPECT_EQ(key.create(platform::HKEY_CURRENT_USER, kPath, kWrite), platform::ERROR_ACCESS_DENIED);
    EXPECT_FALSE(key.isOpen());
    EXPECT_EQ(key.open(0, kPath, platform::KEY_QUERY_VALUE), platform::ERROR_INVALID_HANDLE);
    EXPECT_EQ(registry.openKeys(), 0u);
    EXPECT_FALSE(registry.hasKey(kPath));
}

TEST(RegistryKey, OpeningAgainClosesTheKeyHeldBefore) {
    FakeRegistry registry;
    registry.put(kPath, "A", RegistryValue{});
    RegistryKey key(registry);
    ASSERT_EQ(key.open(platform::HKEY_CURRENT_USER, kPath, platform::KEY_QUERY_VALUE), platform::ERROR_SUCCESS);
    ASSERT_EQ(key.create(platform::HKEY_CURRENT_USER, kPath, kWrite), platform::ERROR_SUCCESS);
    EXPECT_EQ(registry.openKeys(), 1u);
}

TEST(RegistryKey, QueriesAndSetsValuesOfItsKey) {
    FakeRegistry registry;
    RegistryKey key(registry);
    ASSERT_EQ(key.create(platform::HKEY_CURRENT_USER, kPath, kWrite), platform::ERROR_SUCCESS);
    const std::uint8_t bytes[2] = {0x34, 0x12};
    EXPECT_EQ(key.set("Word", platform::REG_BINARY, bytes, sizeof bytes), platform::ERROR_SUCCESS);
    EXPECT_EQ(key.setString("Text", "ab"), platform::ERROR_SUCCESS);
    EXPECT_EQ(registry.get(kPath, "Text")->type, platform::REG_SZ);
    EXPECT_EQ(registry.get(kPath, "Text")->data, (std::vector<std::uint8_t>{'a', 'b', 0}));

    std::uint8_t read[2] = {};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof read;
    EXPECT_EQ(key.query("Word", &type, read, &size), platform::ERROR_SUCCESS);
    EXPECT_EQ(type, platform::REG_BINARY);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(read[1], 0x12);
    size = sizeof read;
    EXPECT_EQ(key.query("Text", &type, read, &size), platform::ERROR_MORE_DATA);
}

TEST(RegistryKey, CallsWithoutAnOpenKeyFailAsTheRegistryWould) {
    FakeRegistry registry;
    RegistryKey key(registry);
    std::uint32_t size = 0;
    EXPECT_EQ(key.query("Word", nullptr, nullptr, &size), platform::ERROR_INVALID_HANDLE);
    EXPECT_EQ(key.setString("Text", "ab"), platform::ERROR_INVALID_HANDLE);
}

TEST(RegistryKey, IsClosedWhenAnErrorLeavesTheCodeThatOpenedIt) {
    FakeRegistry registry;
    registry.put(kPath, "A", RegistryValue{});
    EXPECT_THROW(
        {
            RegistryKey key(registry);
            ASSERT_EQ(key.open(platform::HKEY_CURRENT_USER, kPath, platform::KEY_QUERY_VALUE), platform::ERROR_SUCCESS);
            ASSERT_EQ(registry.openKeys(), 1u);
            throw std::runtime_error("handler failed");
        },
        std::runtime_error);
    EXPECT_EQ(registry.openKeys(), 0u);
}

}  // namespace
