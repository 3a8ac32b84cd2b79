// The settings file of the Linux build held to what every back end's registry does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RegistryConformance.h"
#include "TestFiles.h"
#include "platform/linux/registry/FileRegistry.h"

namespace {

using platform::linux_::registry::FileRegistry;

class FileRegistryBackend {
public:
    platform::Registry& registry() { return registry_; }
    const std::string& scratch() const { return scratch_; }
    // Another program sharing the file: a registry of its own on the same file.
    void storeElsewhere(const std::string& keyPath, const std::string& name, std::uint32_t type,
                        const std::vector<std::uint8_t>& bytes) {
        FileRegistry other(file_);
        platform::Handle key = 0;
        ASSERT_EQ(other.RegCreateKeyEx(platform::HKEY_CURRENT_USER, keyPath, "", 0, platform::KEY_SET_VALUE, key,
                                       nullptr),
                  platform::ERROR_SUCCESS);
        ASSERT_EQ(other.RegSetValueEx(key, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
                  platform::ERROR_SUCCESS);
        ASSERT_EQ(other.RegCloseKey(key), platform::ERROR_SUCCESS);
    }

private:
    regtest::TempDir dir_;
    std::filesystem::path file_ = dir_.path() / "Orlenda" / "registry.reg";
    FileRegistry registry_{file_};
    std::string scratch_ = "Software\\Conformance";
};

}  // namespace

namespace conformance {
INSTANTIATE_TYPED_TEST_SUITE_P(FileRegistry, RegistryConformance, FileRegistryBackend);
}  // namespace conformance
