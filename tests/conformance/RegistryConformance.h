#pragma once
// What every back end's Registry does alike, run against each of them: the in-memory one the
// core's unit tests use, the settings file of the Linux build and the real registry under Wine.
// Include this header in one test file of a back end's test program and instantiate the suite
// there with a type that gives
//   platform::Registry& registry();        the back end's registry
//   const std::string& scratch() const;    a key below HKEY_CURRENT_USER that belongs to the
//                                          test alone and does not exist yet
//   void storeElsewhere(const std::string& keyPath, const std::string& name, std::uint32_t type,
//                       const std::vector<std::uint8_t>& bytes);
//                                          stores a value as another program would, past the
//                                          registry() object
// for example INSTANTIATE_TYPED_TEST_SUITE_P(FakeRegistry, RegistryConformance, FakeRegistryBackend).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "BackendSuite.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "settings/RegistryStore.h"

namespace conformance {

template <class Backend>
class RegistryConformance : public BackendSuite<Backend> {
protected:
    using Bytes = std::vector<std::uint8_t>;
    static constexpr platform::Handle kUser = platform::HKEY_CURRENT_USER;
    static constexpr std::uint32_t kCreatedNewKey = 1;
    static constexpr std::uint32_t kOpenedExistingKey = 2;

    platform::Registry& reg() { return this->backend.registry(); }
    std::string path(const std::string& below = "") const {
        return below.empty() ? this->backend.scratch() : this->backend.scratch() + "\\" + below;
    }
    // The real registry refuses what a key was not opened for (ERROR_ACCESS_DENIED); the
    // in-memory one and the file do not check. Each case asks for the access it uses, as the
    // settings store does.
    static constexpr std::uint32_t kReadWrite =
        platform::KEY_QUERY_VALUE | platform::KEY_SET_VALUE | platform::KEY_CREATE_SUB_KEY;

    platform::Handle create(const std::string& keyPath, std::uint32_t* disposition = nullptr) {
        platform::Handle key = 0;
        EXPECT_EQ(reg().RegCreateKeyEx(kUser, keyPath, "", 0, kReadWrite, key, disposition),
                  platform::ERROR_SUCCESS)
            << keyPath;
        return key;
    }
    std::int32_t open(const std::string& keyPath, platform::Handle& key,
                      std::uint32_t access = platform::KEY_QUERY_VALUE) {
        return reg().RegOpenKeyEx(kUser, keyPath, 0, access, key);
    }
    std::int32_t set(platform::Handle key, const std::string& name, const Bytes& bytes,
                     std::uint32_t type = platform::REG_BINARY) {
        return reg().RegSetValueEx(key, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }
    // The value's bytes read with a buffer large enough; empty when it cannot be read.
    Bytes query(platform::Handle key, const std::string& name, std::uint32_t* type = nullptr) {
        std::uint8_t buffer[16] = {};
        std::uint32_t size = sizeof buffer;
        if (reg().RegQueryValueEx(key, name, type, buffer, &size) != platform::ERROR_SUCCESS) return {};
        return Bytes(buffer, buffer + size);
    }
    // The settings store's 2-byte read of a value of the scratch key.
    std::int32_t readWord(const std::string& name, std::int32_t defaultValue, std::int32_t& result) {
        return settings::regReadWord(kUser, path(), name, defaultValue, result);
    }

    // The settings store reaches the registry through the platform services.
    platform::ServicesScope services{platform::Services{.registry = &this->backend.registry()}};
};

TYPED_TEST_SUITE_P(RegistryConformance);

TYPED_TEST_P(RegistryConformance, CreatingAKeyMakesEveryKeyAlongThePath) {
    const std::string deep = this->path("One\\Two\\Three");
    std::uint32_t disposition = 0;
    const platform::Handle key = this->create(deep, &disposition);
    EXPECT_NE(key, 0u);
    EXPECT_NE(key, platform::HKEY_CURRENT_USER);
    EXPECT_EQ(disposition, this->kCreatedNewKey);
    EXPECT_EQ(this->reg().RegCloseKey(key), platform::ERROR_SUCCESS);

    for (const std::string& keyPath : {this->path("One"), this->path("One\\Two"), deep}) {
        platform::Handle opened = 0;
        EXPECT_EQ(this->open(keyPath, opened), platform::ERROR_SUCCESS) << keyPath;
        if (opened != 0) this->reg().RegCloseKey(opened);
    }

    const platform::Handle again = this->create(deep, &disposition);
    EXPECT_EQ(disposition, this->kOpenedExistingKey);
    EXPECT_EQ(this->reg().RegCloseKey(again), platform::ERROR_SUCCESS);
}

TYPED_TEST_P(RegistryConformance, MissingKeysAndValuesAreNotFound) {
    platform::Handle key = 0;
    EXPECT_EQ(this->open(this->path("Nowhere"), key), platform::ERROR_FILE_NOT_FOUND);
    this->backend.storeElsewhere(this->path(), "Other", platform::REG_BINARY, {1, 2});
    ASSERT_EQ(this->open(this->path(), key), platform::ERROR_SUCCESS);
    std::uint32_t size = 2;
    std::uint8_t buffer[2] = {};
    EXPECT_EQ(this->reg().RegQueryValueEx(key, "Zoom", nullptr, buffer, &size), platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(this->reg().RegCloseKey(key), platform::ERROR_SUCCESS);

    // The settings store passes the status on and keeps the default.
    std::int32_t result = 0;
    EXPECT_EQ(settings::regReadWord(this->kUser, this->path("Nowhere"), "Zoom", 9, result),
              platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(result, 9);
    EXPECT_EQ(this->readWord("Zoom", 9, result), platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(result, 9);
}

TYPED_TEST_P(RegistryConformance, QueryGivesTheStatusTypeAndSizeOfEachKindOfValue) {
    using Bytes = typename TestFixture::Bytes;
    this->backend.storeElsewhere(this->path(), "Long", platform::REG_BINARY, {1, 2, 3});
    this->backend.storeElsewhere(this->path(), "Empty", platform::REG_BINARY, {});
    this->backend.storeElsewhere(this->path(), "Seven", platform::REG_SZ, {'7', 0});  // "7" and its end
    this->backend.storeElsewhere(this->path(), "Dword", platform::REG_DWORD, {5, 0, 0, 0});
    platform::Handle key = 0;
    ASSERT_EQ(this->open(this->path(), key), platform::ERROR_SUCCESS);
    struct Case {
        const char* name;
        std::int32_t status;
        std::uint32_t type, size;
        Bytes bytes;
    };
    const Case cases[] = {{"Long", platform::ERROR_MORE_DATA, platform::REG_BINARY, 3, {}},
                          {"Empty", platform::ERROR_SUCCESS, platform::REG_BINARY, 0, {}},
                          {"Seven", platform::ERROR_SUCCESS, platform::REG_SZ, 2, {'7', 0}},
                          {"Dword", platform::ERROR_MORE_DATA, platform::REG_DWORD, 4, {}}};
    for (const Case& c : cases) {
        // A 2-byte buffer, as the settings store reads with.
        std::uint8_t buffer[2] = {0xEE, 0xEE};
        std::uint32_t type = 99, size = sizeof buffer;
        EXPECT_EQ(this->reg().RegQueryValueEx(key, c.name, &type, buffer, &size), c.status) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(size, c.size) << c.name;
        if (c.status == platform::ERROR_SUCCESS) {
            EXPECT_EQ(Bytes(buffer, buffer + size), c.bytes) << c.name;
        }
    }
    // Without a buffer: only the type and the size.
    std::uint32_t size = 0, type = 0;
    EXPECT_EQ(this->reg().RegQueryValueEx(key, "Long", &type, nullptr, &size), platform::ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(type, platform::REG_BINARY);
    EXPECT_EQ(this->reg().RegQueryValueEx(key, "Missing", &type, nullptr, &size), platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(this->reg().RegCloseKey(key), platform::ERROR_SUCCESS);
}

TYPED_TEST_P(RegistryConformance, HandlesStandForKeysUntilClosed) {
    const platform::Handle a = this->create(this->path());
    platform::Handle b = 0;
    ASSERT_EQ(this->open(this->path(), b, this->kReadWrite), platform::ERROR_SUCCESS);
    EXPECT_NE(a, b);
    EXPECT_EQ(this->reg().RegCloseKey(a), platform::ERROR_SUCCESS);
    EXPECT_EQ(this->reg().RegCloseKey(a), platform::ERROR_INVALID_HANDLE);
    EXPECT_EQ(this->set(a, "x", {1}), platform::ERROR_INVALID_HANDLE);
    EXPECT_EQ(this->set(b, "y", {2}), platform::ERROR_SUCCESS) << "another handle to the same key stays open";
    EXPECT_EQ(this->query(b, "y"), (typename TestFixture::Bytes{2}));
    EXPECT_EQ(this->reg().RegCloseKey(b), platform::ERROR_SUCCESS);

    platform::Handle none = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(this->reg().RegOpenKeyEx(0, this->path(), 0, platform::KEY_QUERY_VALUE, none),
              platform::ERROR_INVALID_HANDLE);
    EXPECT_EQ(this->reg().RegCreateKeyEx(0, this->path(), "", 0, platform::KEY_SET_VALUE, none, nullptr),
              platform::ERROR_INVALID_HANDLE);
    EXPECT_EQ(this->reg().RegQueryValueEx(0, "y", nullptr, nullptr, &size), platform::ERROR_INVALID_HANDLE);
}

TYPED_TEST_P(RegistryConformance, KeyAndValueNamesIgnoreCase) {
    ASSERT_EQ(this->set(this->create(this->path("Mixed\\Case")), "Zoom", {2, 0}), platform::ERROR_SUCCESS);
    std::string upper = this->path("MIXED\\CASE");
    std::uint32_t disposition = 0;
    const platform::Handle same = this->create(upper, &disposition);
    EXPECT_EQ(disposition, this->kOpenedExistingKey);
    ASSERT_EQ(this->set(same, "ZOOM", {3, 0}), platform::ERROR_SUCCESS);
    platform::Handle key = 0;
    ASSERT_EQ(this->open(this->path("mixed\\case"), key), platform::ERROR_SUCCESS);
    EXPECT_EQ(this->query(key, "zOOm"), (typename TestFixture::Bytes{3, 0}));

    // As the settings store reads them.
    this->backend.storeElsewhere(this->path(), "WindowLeft", platform::REG_BINARY, {0x03, 0x00});
    std::int32_t result = 0;
    EXPECT_EQ(this->readWord("WINDOWLEFT", 0, result), platform::ERROR_SUCCESS);
    EXPECT_EQ(result, 3);
}

TYPED_TEST_P(RegistryConformance, ASetValueReplacesTheOldOneWithItsType) {
    const platform::Handle key = this->create(this->path());
    ASSERT_EQ(this->set(key, "Zoom", {7, 0, 0, 0}, platform::REG_DWORD), platform::ERROR_SUCCESS);
    ASSERT_EQ(this->set(key, "Zoom", {8, 0}), platform::ERROR_SUCCESS);
    std::uint32_t type = 0;
    EXPECT_EQ(this->query(key, "Zoom", &type), (typename TestFixture::Bytes{8, 0}));
    EXPECT_EQ(type, platform::REG_BINARY);
    EXPECT_EQ(this->reg().RegCloseKey(key), platform::ERROR_SUCCESS);
}

TYPED_TEST_P(RegistryConformance, AnOpenKeySeesWhatAnotherProgramStoresLater) {
    platform::Handle key = this->create(this->path());
    this->backend.storeElsewhere(this->path(), "Zoom", platform::REG_BINARY, {4, 0});
    EXPECT_EQ(this->query(key, "Zoom"), (typename TestFixture::Bytes{4, 0}));
    this->backend.storeElsewhere(this->path(), "Zoom", platform::REG_BINARY, {5, 0});
    EXPECT_EQ(this->query(key, "Zoom"), (typename TestFixture::Bytes{5, 0}));
    EXPECT_EQ(this->reg().RegCloseKey(key), platform::ERROR_SUCCESS);
}

TYPED_TEST_P(RegistryConformance, EveryWriteOfANestedBatchIsThereAfterItsCommit) {
    this->reg().beginBatch();
    this->reg().beginBatch();
    const platform::Handle key = this->create(this->path("Batch"));
    EXPECT_EQ(this->set(key, "Zoom", {3, 0}), platform::ERROR_SUCCESS);
    EXPECT_EQ(this->reg().commitBatch(), platform::ERROR_SUCCESS);
    EXPECT_EQ(this->set(key, "WindowLeft", {4, 0}), platform::ERROR_SUCCESS);
    EXPECT_EQ(this->reg().RegCloseKey(key), platform::ERROR_SUCCESS);
    EXPECT_EQ(this->reg().commitBatch(), platform::ERROR_SUCCESS);

    platform::Handle opened = 0;
    ASSERT_EQ(this->open(this->path("Batch"), opened), platform::ERROR_SUCCESS);
    EXPECT_EQ(this->query(opened, "Zoom"), (typename TestFixture::Bytes{3, 0}));
    EXPECT_EQ(this->query(opened, "WindowLeft"), (typename TestFixture::Bytes{4, 0}));
    EXPECT_EQ(this->reg().RegCloseKey(opened), platform::ERROR_SUCCESS);
}

// The settings store's 2-byte values on each registry: the store reads with a 2-byte buffer
// over the default's bytes and never looks at the type.
TYPED_TEST_P(RegistryConformance, StoreReadsALongerValueAsMoreDataAndKeepsTheDefault) {
    this->backend.storeElsewhere(this->path(), "Number", platform::REG_DWORD, {0x78, 0x56, 0x34, 0x12});
    std::int32_t result = 0;
    EXPECT_EQ(this->readWord("Number", 77, result), platform::ERROR_MORE_DATA);
    EXPECT_EQ(result, 77);
}

TYPED_TEST_P(RegistryConformance, StoreReadsAStringSevenAsItsTwoBytes) {
    this->backend.storeElsewhere(this->path(), "Text", platform::REG_SZ, {'7', 0});
    std::int32_t result = 0;
    EXPECT_EQ(this->readWord("Text", 0x4000, result), platform::ERROR_SUCCESS);
    EXPECT_EQ(result, 55);
}

TYPED_TEST_P(RegistryConformance, StoreReadsAnEmptyValueAsASuccessThatKeepsTheDefault) {
    this->backend.storeElsewhere(this->path(), "Empty", platform::REG_BINARY, {});
    std::int32_t result = 0;
    EXPECT_EQ(this->readWord("Empty", 0x1234, result), platform::ERROR_SUCCESS);
    EXPECT_EQ(result, 0x1234);
}

TYPED_TEST_P(RegistryConformance, StoreReadsAOneByteValueIntoTheLowByteOnly) {
    this->backend.storeElsewhere(this->path(), "One", platform::REG_BINARY, {0xAB});
    std::int32_t result = 0;
    EXPECT_EQ(this->readWord("One", 0x1234, result), platform::ERROR_SUCCESS);
    EXPECT_EQ(result, 0x12AB);
}

TYPED_TEST_P(RegistryConformance, StoreWritesAWordAsTwoBinaryBytesLowFirstThatReadBack) {
    const std::string keyPath = this->path("Family\\Tool");
    EXPECT_EQ(settings::regWriteWord(this->kUser, keyPath, "Zoom", 0x12345), platform::ERROR_SUCCESS);
    platform::Handle key = 0;
    ASSERT_EQ(this->open(keyPath, key), platform::ERROR_SUCCESS);
    std::uint32_t type = 0;
    EXPECT_EQ(this->query(key, "Zoom", &type), (typename TestFixture::Bytes{0x45, 0x23}));
    EXPECT_EQ(type, platform::REG_BINARY);
    EXPECT_EQ(this->reg().RegCloseKey(key), platform::ERROR_SUCCESS);
    std::int32_t result = 0;
    EXPECT_EQ(settings::regReadWord(this->kUser, keyPath, "Zoom", 0, result), platform::ERROR_SUCCESS);
    EXPECT_EQ(result, 0x2345);
}

REGISTER_TYPED_TEST_SUITE_P(RegistryConformance, CreatingAKeyMakesEveryKeyAlongThePath,
                            MissingKeysAndValuesAreNotFound, QueryGivesTheStatusTypeAndSizeOfEachKindOfValue,
                            HandlesStandForKeysUntilClosed, KeyAndValueNamesIgnoreCase,
                            ASetValueReplacesTheOldOneWithItsType, AnOpenKeySeesWhatAnotherProgramStoresLater,
                            EveryWriteOfANestedBatchIsThereAfterItsCommit,
                            StoreReadsALongerValueAsMoreDataAndKeepsTheDefault, StoreReadsAStringSevenAsItsTwoBytes,
                            StoreReadsAnEmptyValueAsASuccessThatKeepsTheDefault,
                            StoreReadsAOneByteValueIntoTheLowByteOnly,
                            StoreWritesAWordAsTwoBinaryBytesLowFirstThatReadBack);

}  // namespace conformance
