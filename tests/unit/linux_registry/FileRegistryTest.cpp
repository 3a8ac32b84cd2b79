// The registry operations as the program sees them, on a file in a scratch folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestFiles.h"
#include "platform/linux/registry/FileRegistry.h"
#include "platform/linux/registry/RegFormat.h"

namespace platform::linux_::registry {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kOpenedExisting = 2;

class FileRegistryTest : public ::testing::Test {
protected:
    Handle create(const std::string& subKey, std::uint32_t* disposition = nullptr, Handle root = HKEY_CURRENT_USER) {
        Handle key = 0;
        EXPECT_EQ(reg.RegCreateKeyEx(root, subKey, "", 0, KEY_SET_VALUE, key, disposition), ERROR_SUCCESS) << subKey;
        return key;
    }
    std::int32_t open(const std::string& subKey, Handle& key, Handle root = HKEY_CURRENT_USER) {
        return reg.RegOpenKeyEx(root, subKey, 0, KEY_QUERY_VALUE, key);
    }
    std::int32_t set(Handle key, const std::string& name, const Bytes& bytes, std::uint32_t type = REG_BINARY) {
        return reg.RegSetValueEx(key, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }
    Bytes query(Handle key, const std::string& name) {
        std::uint8_t buffer[16] = {};
        std::uint32_t size = sizeof buffer;
        EXPECT_EQ(reg.RegQueryValueEx(key, name, nullptr, buffer, &size), ERROR_SUCCESS) << name;
        return Bytes(buffer, buffer + size);
    }
    RegDocument fileDocument() { return parseRegFile(regtest::readFile(file)).document.value(); }
    std::vector<std::string> sectionPaths() {
        std::vector<std::string> paths;
        for (const auto& s : fileDocument().sections) paths.push_back(s.path);
        return paths;
    }

    regtest::TempDir dir;
    std::filesystem::path file = dir.path() / "Orlenda" / "registry.reg";
    FileRegistry reg{file};
};

// What every registry does is held in RegistryConformance.h; here what only the file does: values
// as other tools write them in it, the file's sections, and keys below other roots.
TEST_F(FileRegistryTest, ValuesWrittenInTheFileGiveTheRegistryStatusCodes) {
    regtest::writeFile(file, "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orlenda]\n\"Long\"=hex:01,02,03\n"
                             "\"Empty\"=hex:\n\"Seven\"=\"7\"\n\"Dword\"=dword:00000005\n");
    Handle key = 0;
    ASSERT_EQ(open("Software\\Orlenda", key), ERROR_SUCCESS);
    struct Case {
        const char* name;
        std::int32_t status;
        std::uint32_t type, size;
        Bytes bytes;
    };
    const Case cases[] = {{"Long", ERROR_MORE_DATA, REG_BINARY, 3, {}},
                          {"Empty", ERROR_SUCCESS, REG_BINARY, 0, {}},
                          {"Seven", ERROR_SUCCESS, REG_SZ, 2, {'7', 0}},
                          {"Dword", ERROR_MORE_DATA, REG_DWORD, 4, {}}};
    for (const auto& c : cases) {
        std::uint8_t buffer[2] = {0xee, 0xee};
        std::uint32_t type = 99, size = sizeof buffer;
        EXPECT_EQ(reg.RegQueryValueEx(key, c.name, &type, buffer, &size), c.status) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(size, c.size) << c.name;
        if (c.status == ERROR_SUCCESS) {
            EXPECT_EQ(Bytes(buffer, buffer + size), c.bytes) << c.name;
        }
    }

    // A failed open leaves no handle behind; only the current user's keys are in the file.
    Handle missing = 123;
    EXPECT_EQ(open("Software\\Nowhere", missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, 0u);
    EXPECT_EQ(reg.RegOpenKeyEx(0x80000002u, "Software\\Orlenda", 0, 0, missing), ERROR_INVALID_HANDLE);
}

TEST_F(FileRegistryTest, KeysOpenBelowAnOpenKeyAndPathsForgiveStraySeparators) {
    Handle a = create("Software\\Orlenda");
    Handle b = 0;
    ASSERT_EQ(open("software\\\\ORLENDA\\", b), ERROR_SUCCESS);
    EXPECT_NE(b, 0u);
    Handle sub = create("Sub", nullptr, a);
    EXPECT_EQ(set(sub, "x", {1}), ERROR_SUCCESS);
    EXPECT_EQ(sectionPaths().back(), "HKEY_CURRENT_USER\\Software\\Orlenda\\Sub");
}

TEST_F(FileRegistryTest, NamesIgnoreCaseAndKeepTheCaseFirstWritten) {
    ASSERT_EQ(set(create("Software\\Orlenda"), "Zoom", {2, 0}), ERROR_SUCCESS);
    ASSERT_EQ(set(create("SOFTWARE\\ORLENDA"), "ZOOM", {3, 0}), ERROR_SUCCESS);
    EXPECT_EQ(regtest::readFile(file), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orlenda]\n\"Zoom\"=hex:03,00\n\n");
}

TEST_F(FileRegistryTest, CreateAddsASectionForEveryMissingKeyAlongThePath) {
    create("Software\\A\\B\\C");
    create("Software\\A\\X");
    const std::string a = "HKEY_CURRENT_USER\\Software\\A";
    EXPECT_EQ(sectionPaths(), (std::vector<std::string>{a, a + "\\B", a + "\\B\\C", a + "\\X"}));

    struct stat before {}, after {};
    ::stat(file.c_str(), &before);
    std::uint32_t disposition = 0;
    create("software\\a\\b", &disposition);
    EXPECT_EQ(disposition, kOpenedExisting);
    ::stat(file.c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino) << "opening an existing key must not rewrite the file";
}

TEST_F(FileRegistryTest, EveryCallSeesWhatOtherWritersDid) {
    FileRegistry other(file);
    Handle mine = create("Software\\Orlenda");
    Handle theirs = 0;
    ASSERT_EQ(other.RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Orlenda", "", 0, 0, theirs, nullptr), 0);
    const std::uint8_t one[] = {1, 0};
    ASSERT_EQ(other.RegSetValueEx(theirs, "Zoom", REG_BINARY, one, 2), ERROR_SUCCESS);
    EXPECT_EQ(query(mine, "Zoom"), (Bytes{1, 0}));
    ASSERT_EQ(set(mine, "Zoom", {4, 0}), ERROR_SUCCESS);
    std::uint8_t buffer[2] = {};
    std::uint32_t size = 2;
    ASSERT_EQ(other.RegQueryValueEx(theirs, "Zoom", nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(buffer[0], 4);
}

TEST_F(FileRegistryTest, WritingKeepsEverythingElseInTheFile) {
    regtest::writeFile(file, regtest::kSampleFile);
    auto expected = parseRegFile(regtest::kSampleFile).document.value();
    storeValue(expected.sections[2], {"New", REG_DWORD, {7, 0, 0, 0}, {}});
    ASSERT_EQ(set(create("Software\\Orlenda\\Kitmora Magnifier"), "New", {7, 0, 0, 0}, REG_DWORD), ERROR_SUCCESS);
    EXPECT_EQ(fileDocument(), expected);
}

TEST(FileRegistryPath, FollowsTheConfigFolderConvention) {
    struct Env {
        std::string xdg = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
        std::string home = getenv("HOME") ? getenv("HOME") : "";
        ~Env() {
            xdg.empty() ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
            setenv("HOME", home.c_str(), 1);
        }
    } saved;
    setenv("HOME", "/home/u", 1);
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(FileRegistry::defaultPath(), "/cfg/Orlenda/registry.reg");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(FileRegistry::defaultPath(), "/home/u/.config/Orlenda/registry.reg");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(FileRegistry::defaultPath(), "/home/u/.config/Orlenda/registry.reg");
}

}  // namespace
}  // namespace platform::linux_::registry
