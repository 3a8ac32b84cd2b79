// Nothing is lost: damaged files are set aside, failed writes leave the old file whole, and
// two processes writing at once both keep their values.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "TestFiles.h"
#include "platform/linux/registry/FileRegistry.h"
#include "platform/linux/registry/PosixFiles.h"
#include "platform/linux/registry/RegFormat.h"
#include "platform/posix/UniqueFd.h"

namespace platform::linux_::registry {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
const std::string kKey = "Software\\Orlenda";
const char* const kPlacement[] = {"Zoom", "WindowLeft", "WindowTop", "WindowWidth", "WindowHeight"};

// Writes one 2-byte value the way the program does; returns the status of the first failure.
std::int32_t save(FileRegistry& reg, const std::string& name, std::uint8_t byte) {
    Handle key = 0;
    if (auto status = reg.RegCreateKeyEx(HKEY_CURRENT_USER, kKey, "", 0, KEY_SET_VALUE, key, nullptr)) return status;
    const std::uint8_t data[] = {byte, 0};
    auto status = reg.RegSetValueEx(key, name, REG_BINARY, data, 2);
    reg.RegCloseKey(key);
    return status;
}

std::vector<std::string> folderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The five values of a placement, all `byte`, in one batch as the program saves them.
std::int32_t savePlacement(FileRegistry& reg, std::uint8_t byte) {
    reg.beginBatch();
    for (const char* name : kPlacement) save(reg, name, byte);
    return reg.commitBatch();
}

// The values of the names as one reading of the file has them.
std::vector<std::optional<Bytes>> storedValues(const fs::path& file, const std::vector<std::string>& names) {
    auto doc = parseRegFile(regtest::readFile(file)).document;
    const auto* section = doc ? findSection(*doc, "HKEY_CURRENT_USER\\" + kKey) : nullptr;
    std::vector<std::optional<Bytes>> values;
    for (const auto& name : names) {
        const auto* value = section ? findValue(*section, name) : nullptr;
        values.push_back(value ? std::optional(value->data) : std::nullopt);
    }
    return values;
}
std::optional<Bytes> storedValue(const fs::path& file, const std::string& name) {
    return storedValues(file, {name}).front();
}

fs::perms permsOf(const fs::path& file) { return fs::status(file).permissions(); }

std::size_t lines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

class RegFileSafety : public ::testing::Test {
protected:
    regtest::TempDir dir;
    fs::path folder = dir.path() / "Orlenda";
    fs::path file = folder / "registry.reg";
    FileRegistry reg{file};

    // Two processes, each with a registry of its own over the same file, run `work(who)`; a
    // child whose work fails exits with 1.
    template <typename Work>
    std::array<pid_t, 2> forkTwoWriters(Work work) {
        std::array<pid_t, 2> children{};
        for (int who = 0; who < 2; ++who) {
            children[who] = ::fork();
            EXPECT_GE(children[who], 0);
            if (children[who] == 0) {
                FileRegistry mine(file);
                _exit(work(mine, who) ? 0 : 1);
            }
        }
        return children;
    }
};

struct Damage {
    const char* kind;
    std::string content;
};
void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.kind; }

class DamagedFile : public RegFileSafety, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedFile, ReadsAsEmptyAndIsSetAsideOnTheFirstWrite) {
    const std::string& damaged = GetParam().content;
    regtest::writeFile(file, damaged);
    Handle key = 0;
    EXPECT_EQ(reg.RegOpenKeyEx(HKEY_CURRENT_USER, kKey, 0, 0, key), ERROR_FILE_NOT_FOUND);

    ::testing::internal::CaptureStderr();
    ASSERT_EQ(save(reg, "Zoom", 2), ERROR_SUCCESS);
    auto message = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find(file.string()), std::string::npos) << message;
    EXPECT_EQ(message.rfind("magnifier: registry file " + file.string() + " was damaged (", 0), 0u) << message;
    EXPECT_TRUE(regtest::readFile(folder / "registry.reg.damaged") == damaged);

    ::testing::internal::CaptureStderr();
    ASSERT_EQ(save(reg, "Language", 1), ERROR_SUCCESS);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(folderEntries(folder), (std::vector<std::string>{"registry.reg", "registry.reg.damaged"}));
    auto doc = parseRegFile(regtest::readFile(file)).document.value();
    EXPECT_EQ(doc.sections.at(0).values.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DamagedFile,
    ::testing::Values(
        Damage{"garbage", "this is not a registry file\n"},
        Damage{"nul_bytes", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orlenda]\n\"Zoom\"=hex:02," + std::string(3, '\0')},
        Damage{"truncated_hex", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orlenda]\n\"Zoom\"=hex:02,\\\n"},
        Damage{"huge", "REGEDIT4\n\n;" + std::string(kMaxRegistryFileSize, 'x') + "\n"}),
    [](const auto& info) { return std::string(info.param.kind); });

TEST_F(RegFileSafety, EarlierDamagedCopiesAreNeverReplaced) {
    regtest::writeFile(folder / "registry.reg.damaged", "older");
    regtest::writeFile(file, "garbage");
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(save(reg, "Zoom", 2), ERROR_SUCCESS);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(regtest::readFile(folder / "registry.reg.damaged"), "older");
    EXPECT_EQ(regtest::readFile(folder / "registry.reg.damaged.1"), "garbage");
}

TEST_F(RegFileSafety, AMissingFolderIsCreatedOnlyByAWrite) {
    FileRegistry deep(dir.path() / "a" / "b" / "registry.reg");
    Handle key = 0;
    EXPECT_EQ(deep.RegOpenKeyEx(HKEY_CURRENT_USER, kKey, 0, 0, key), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(fs::exists(dir.path() / "a"));
    ASSERT_EQ(save(deep, "Zoom", 2), ERROR_SUCCESS);
    EXPECT_TRUE(fs::is_regular_file(dir.path() / "a" / "b" / "registry.reg"));
}

TEST_F(RegFileSafety, TwoProcessesWritingAtOnceBothKeepTheirValues) {
    constexpr int kWrites = 60;
    const auto children = forkTwoWriters([](FileRegistry& mine, int who) {
        for (int i = 0; i < kWrites; ++i)
            if (save(mine, std::to_string(who) + "-" + std::to_string(i), static_cast<std::uint8_t>(i))) return false;
        return true;
    });
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto doc = parseRegFile(regtest::readFile(file)).document.value();
    const auto& section = doc.sections.at(0);
    EXPECT_EQ(section.values.size(), 2u * kWrites);
    for (int who = 0; who < 2; ++who)
        for (int i = 0; i < kWrites; ++i) {
            const auto* v = findValue(section, std::to_string(who) + "-" + std::to_string(i));
            ASSERT_NE(v, nullptr) << who << "-" << i;
            EXPECT_EQ(v->data, (std::vector<std::uint8_t>{static_cast<std::uint8_t>(i), 0}));
        }
}

TEST_F(RegFileSafety, AFailedWriteLeavesTheOldFileWhole) {
    regtest::writeFile(file, regtest::kSampleFile);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A disk that is full after a few bytes: the new file cannot be written out.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::close(2);  // the one-line failure notice is not this test's business
        _exit(save(reg, "Zoom", 9) == 112 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(regtest::readFile(file), regtest::kSampleFile);
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"registry.reg"}) << "no temporary file left";
}

TEST_F(RegFileSafety, AFolderThatCannotBeMadeFailsTheWrite) {
    regtest::writeFile(folder, "a file where the folder should be");
    ::testing::internal::CaptureStderr();
    EXPECT_NE(save(reg, "Zoom", 2), ERROR_SUCCESS);
    EXPECT_NE(save(reg, "Zoom", 2), ERROR_SUCCESS);
    auto message = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << "a run of failures is told once:\n" << message;
    EXPECT_EQ(regtest::readFile(folder), "a file where the folder should be");
}

TEST_F(RegFileSafety, ALinkedFileIsWrittenWhereItLivesAndKeepsItsMode) {
    const fs::path dotfiles = dir.path() / "dotfiles", target = dotfiles / "orlenda.reg";
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    regtest::writeFile(target, regtest::kSampleFile);
    fs::permissions(target, mode);
    fs::create_directories(folder);
    fs::create_symlink("../dotfiles/orlenda.reg", file);
    ASSERT_EQ(save(reg, "Zoom", 7), ERROR_SUCCESS);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(storedValue(target, "Zoom"), (Bytes{7, 0}));
    EXPECT_EQ(storedValue(target, "Language"), (Bytes{1, 0})) << "the rest of the file is kept";
    EXPECT_EQ(permsOf(target), mode);
    EXPECT_EQ(folderEntries(dotfiles), std::vector<std::string>{"orlenda.reg"});

    fs::remove(target);  // a link to a file not there yet: the file is made where the link says
    ASSERT_EQ(save(reg, "Zoom", 8), ERROR_SUCCESS);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(storedValue(target, "Zoom"), (Bytes{8, 0}));
}

TEST_F(RegFileSafety, AReadOnlyFileIsReadButNeverWritten) {
    regtest::writeFile(file, regtest::kSampleFile);
    for (auto mode : {fs::perms::owner_read | fs::perms::group_read, fs::perms::none}) {
        fs::permissions(file, mode);
        FileRegistry again(file);  // a new run, so its failure is told again
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(save(again, "Zoom", 9), ERROR_ACCESS_DENIED);
        EXPECT_EQ(savePlacement(again, 9), ERROR_ACCESS_DENIED);
        auto message = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(lines(message), 1u) << message;
        EXPECT_NE(message.find(file.string()), std::string::npos) << message;
        EXPECT_EQ(permsOf(file), mode);
        EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"registry.reg"});
    }
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_EQ(regtest::readFile(file), regtest::kSampleFile);
    EXPECT_EQ(storedValue(file, "Zoom"), (Bytes{10, 0, 0, 0}));
    Handle key = 0;
    EXPECT_EQ(reg.RegOpenKeyEx(HKEY_CURRENT_USER, kKey, 0, 0, key), ERROR_SUCCESS) << "reading goes on";
}

TEST_F(RegFileSafety, ALockHeldTooLongFailsTheWritesOnceToldAndTheProgramGoesOn) {
    regtest::writeFile(file, regtest::kSampleFile);
    FileRegistry impatient(file, std::chrono::milliseconds(50));
    posix::UniqueFd held(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_EQ(::flock(held.get(), LOCK_EX), 0);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(save(impatient, "Zoom", 9), kErrorRegistryIoFailed);
    impatient.beginBatch();
    for (const char* name : kPlacement) EXPECT_EQ(save(impatient, name, 9), kErrorRegistryIoFailed) << name;
    EXPECT_EQ(impatient.commitBatch(), kErrorRegistryIoFailed);
    auto message = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(lines(message), 1u) << "told once per run:\n" << message;
    EXPECT_EQ(regtest::readFile(file), regtest::kSampleFile);

    held.close();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(savePlacement(impatient, 9), ERROR_SUCCESS);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(storedValue(file, "WindowTop"), (Bytes{9, 0}));
}

// A killed writer's temporaries go with the next write; a user's own files beside the settings
// file never do, whatever their names, beside a plain file and beside a link's target alike.
TEST_F(RegFileSafety, StaleTemporariesGoWithTheNextWriteAndNothingElseDoes) {
    const fs::path dotfiles = dir.path() / "dotfiles";
    fs::create_directories(folder);
    fs::create_directories(dotfiles);
    for (const auto& [where, name] : {std::pair{folder, "registry.reg"}, std::pair{dotfiles, "orlenda.reg"}}) {
        SCOPED_TRACE(where.string());
        const std::string base = name;
        if (where == dotfiles) fs::create_symlink("../dotfiles/orlenda.reg", file);
        regtest::writeFile(where / base, regtest::kSampleFile);
        fs::permissions(where / base, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
        for (auto stale : {".tmp-Ab12Cd", ".tmp-zzzzz9"}) regtest::writeFile(where / ("." + base + stale), "REGEDIT4\n");
        // The first four are names users give their copies; the rest are near misses of our own
        // shape, and the earlier versions' shape, which cannot be told from a user's copy.
        std::vector<std::string> kept = {base + ".backup",         base + ".old123",          base + ".BACKUP",
                                         base + ".2024q1",         base + ".Ab12Cd",          "other.reg.Ab12Cd",
                                         "." + base + ".tmp-Ab12C", "." + base + ".tmp-Ab12Cde", "." + base + ".tmp-Ab-2Cd",
                                         base + ".tmp-Ab12Cd",     ".other.reg.tmp-Ab12Cd",   base + ".damaged",
                                         "." + base + "XAb12Cd"};
        for (const auto& user : kept) regtest::writeFile(where / user, "someone else's");
        kept.push_back(base);
        kept.push_back("." + base + ".tmp-Dir123");
        fs::create_directory(where / kept.back());
        kept.push_back("." + base + ".tmp-Lnk123");
        fs::create_symlink(base + ".backup", where / kept.back());

        FileRegistry run(file);  // a new run each time, as a user's next start would be
        ASSERT_EQ(save(run, "Language", 1), ERROR_SUCCESS);
        EXPECT_EQ(folderEntries(where).size(), kept.size() + 2) << "writing back the same value writes nothing";
        ASSERT_EQ(save(run, "Zoom", where == folder ? 9 : 10), ERROR_SUCCESS);
        std::sort(kept.begin(), kept.end());
        EXPECT_EQ(folderEntries(where), kept);
        for (const auto& user : kept) {
            if (fs::is_regular_file(fs::symlink_status(where / user)) && user != base) {
                EXPECT_EQ(regtest::readFile(where / user), "someone else's") << user;
            }
        }
        EXPECT_EQ(permsOf(where / base), fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
        if (where == folder) {
            for (const auto& user : kept) fs::remove_all(folder / user);
        }
    }
    EXPECT_EQ(storedValue(dotfiles / "orlenda.reg", "Zoom"), (Bytes{10, 0}));
}

TEST_F(RegFileSafety, ABatchReachesOtherProcessesWhole) {
    FileRegistry other(file);
    reg.beginBatch();
    ASSERT_EQ(save(reg, "Zoom", 3), ERROR_SUCCESS);
    ASSERT_EQ(save(reg, "WindowLeft", 4), ERROR_SUCCESS);
    Handle key = 0;
    EXPECT_EQ(other.RegOpenKeyEx(HKEY_CURRENT_USER, kKey, 0, 0, key), ERROR_FILE_NOT_FOUND) << "nothing before the commit";
    ASSERT_EQ(reg.RegOpenKeyEx(HKEY_CURRENT_USER, kKey, 0, 0, key), ERROR_SUCCESS) << "the batch sees its own writes";
    reg.RegCloseKey(key);
    ASSERT_EQ(reg.commitBatch(), ERROR_SUCCESS);
    EXPECT_EQ(storedValue(file, "Zoom"), (Bytes{3, 0}));
    EXPECT_EQ(storedValue(file, "WindowLeft"), (Bytes{4, 0}));
}

TEST_F(RegFileSafety, TwoCopiesSavingTheirPlacementAtOnceNeverMixIt) {
    constexpr int kRounds = 40;
    auto children = forkTwoWriters([](FileRegistry& mine, int who) {
        for (int i = 0; i < kRounds; ++i)
            if (savePlacement(mine, static_cast<std::uint8_t>(who + 1))) return false;
        return true;
    });
    int running = 2, mixed = 0, seen = 0;
    while (running > 0) {
        for (pid_t& child : children) {
            int status = 0;
            if (child > 0 && ::waitpid(child, &status, WNOHANG) == child) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                child = 0;
                --running;
            }
        }
        auto values = storedValues(file, {std::begin(kPlacement), std::end(kPlacement)});
        if (!values[0]) continue;
        ++seen;
        for (const auto& value : values) mixed += value != values[0];
    }
    EXPECT_GT(seen, 0);
    EXPECT_EQ(mixed, 0);
}

// Permissions do not hold back root, so as root these run as the unprivileged user "nobody"
// (effective ids only, given back afterwards), on files that user owns.
class Permissions : public RegFileSafety {
protected:
    static constexpr uid_t kNobody = 65534;
    void SetUp() override {
        regtest::writeFile(file, regtest::kSampleFile);
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(dir.path().c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(::setegid(kNobody), 0);
            ASSERT_EQ(::seteuid(kNobody), 0);
            droppedRoot_ = true;
        }
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, ignored);
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, ignored);
        if (droppedRoot_) {
            // Back to root, so the temporary folder can be removed.
            EXPECT_EQ(::seteuid(0), 0);
            EXPECT_EQ(::setegid(0), 0);
            droppedRoot_ = false;
        }
    }

private:
    bool droppedRoot_ = false;
};

TEST_F(Permissions, AnUnreadableFileThatCannotBeMovedIsLeftAlone) {
    fs::permissions(file, fs::perms::owner_write);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    Handle key = 0;
    EXPECT_EQ(reg.RegOpenKeyEx(HKEY_CURRENT_USER, kKey, 0, 0, key), ERROR_FILE_NOT_FOUND);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(save(reg, "Zoom", 2), ERROR_ACCESS_DENIED);
    ::testing::internal::GetCapturedStderr();
    TearDown();
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"registry.reg"});
    EXPECT_EQ(regtest::readFile(file), regtest::kSampleFile);
}

TEST_F(Permissions, AnUnreadableFileIsSetAsideWhenTheFolderAllows) {
    fs::permissions(file, fs::perms::owner_write);
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(save(reg, "Zoom", 2), ERROR_SUCCESS);
    ::testing::internal::GetCapturedStderr();
    fs::permissions(folder / "registry.reg.damaged", fs::perms::owner_read);
    EXPECT_EQ(regtest::readFile(folder / "registry.reg.damaged"), regtest::kSampleFile);
}

}  // namespace
}  // namespace platform::linux_::registry
