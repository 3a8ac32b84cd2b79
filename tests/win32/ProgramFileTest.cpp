// The built program file: its version information, its icon at both sizes in 24-bit colour, its
// manifest, and no DLL of the compiler's run-time beside it.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/Version.h"
#include "Win32TestSupport.h"

namespace win32test {
namespace {

// magnifier.exe, found from this test program's own place in the build tree.
std::wstring programPath() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path.resize(path.find_last_of(L"\\/") + 1);
    const std::string relative = MAGNIFIER_EXE_FROM_TESTS;
    return path + std::wstring(relative.begin(), relative.end());
}

// The program loaded as data only, released when it goes.
class ProgramImage {
public:
    ProgramImage() : module_(::LoadLibraryExW(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~ProgramImage() {
        if (module_ != nullptr) ::FreeLibrary(module_);
    }
    ProgramImage(const ProgramImage&) = delete;
    ProgramImage& operator=(const ProgramImage&) = delete;
    HMODULE get() const { return module_; }

    std::vector<std::uint8_t> resource(LPCWSTR type, LPCWSTR name) const {
        HRSRC found = ::FindResourceW(module_, name, type);
        if (found == nullptr) return {};
        HGLOBAL loaded = ::LoadResource(module_, found);
        const auto* bytes = static_cast<const std::uint8_t*>(::LockResource(loaded));
        if (bytes == nullptr) return {};
        return std::vector<std::uint8_t>(bytes, bytes + ::SizeofResource(module_, found));
    }

private:
    HMODULE module_;
};

#pragma pack(push, 2)
struct IconGroupHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct IconGroupEntry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(ProgramFile, CarriesTheProgramVersion) {
    const std::wstring path = programPath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version information in the program file";
    std::vector<std::uint8_t> data(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const auto majorMinor = static_cast<DWORD>(MAKELONG(base::kVersionMinor, base::kVersionMajor));
    EXPECT_EQ(fixed->dwFileVersionMS, majorMinor);
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, base::kVersionPatch)));
    EXPECT_EQ(fixed->dwProductVersionMS, majorMinor);
    wchar_t* text = nullptr;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                                 reinterpret_cast<void**>(&text), &length));
    const std::string version(base::kVersion);
    EXPECT_EQ(std::wstring(text), std::wstring(version.begin(), version.end()));
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\LegalCopyright",
                                 reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, L"\u00A9 Orlenda");
}

TEST(ProgramFile, HasItsIconAt16And32PixelsIn24BitColour) {
    const ProgramImage program;
    ASSERT_NE(program.get(), nullptr) << "cannot load the program file";
    const std::vector<std::uint8_t> group = program.resource(MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, MAKEINTRESOURCEW(1));
    ASSERT_GE(group.size(), sizeof(IconGroupHeader));
    IconGroupHeader header{};
    std::memcpy(&header, group.data(), sizeof header);
    ASSERT_EQ(header.count, 2);
    ASSERT_EQ(group.size(), sizeof header + header.count * sizeof(IconGroupEntry));
    std::vector<int> sizes;
    for (int i = 0; i < header.count; ++i) {
        IconGroupEntry entry{};
        std::memcpy(&entry, group.data() + sizeof header + i * sizeof entry, sizeof entry);
        sizes.push_back(entry.width);
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_EQ(entry.bitCount, 24);
        // The image itself: a bitmap header of that size and depth, twice as high for the mask.
        const std::vector<std::uint8_t> image = program.resource(MAKEINTRESOURCEW(3) /* RT_ICON */, MAKEINTRESOURCEW(entry.id));
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER bitmap{};
        std::memcpy(&bitmap, image.data(), sizeof bitmap);
        EXPECT_EQ(bitmap.biWidth, entry.width);
        EXPECT_EQ(bitmap.biHeight, 2 * entry.height);
        EXPECT_EQ(bitmap.biBitCount, 24);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 32}));
}

TEST(ProgramFile, ItsManifestAsksForDevicePixelsAndUtf8) {
    const ProgramImage program;
    ASSERT_NE(program.get(), nullptr);
    const std::vector<std::uint8_t> manifest = program.resource(MAKEINTRESOURCEW(24) /* RT_MANIFEST */, MAKEINTRESOURCEW(1));
    const std::string text(manifest.begin(), manifest.end());
    EXPECT_NE(text.find("<dpiAware"), std::string::npos);
    EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos);
    // A monitor whose scale differs from the system's still gets device pixels.
    EXPECT_NE(text.find(">PerMonitorV2, PerMonitor, system</dpiAwareness>"), std::string::npos);
    EXPECT_NE(text.find(">UTF-8</activeCodePage>"), std::string::npos);
}

TEST(ProgramFile, ImportsNoRunTimeLibraryThatWouldHaveToSitBesideIt) {
    const ProgramImage program;
    ASSERT_NE(program.get(), nullptr);
    // A data-file mapping keeps the file's layout: walk the import directory by file offsets.
    const auto* base = reinterpret_cast<const std::uint8_t*>(reinterpret_cast<std::uintptr_t>(program.get()) & ~std::uintptr_t{3});
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    const IMAGE_DATA_DIRECTORY imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(imports.VirtualAddress, 0u);
    const auto* sections = IMAGE_FIRST_SECTION(nt);
    const auto offsetOf = [&](DWORD rva) -> std::size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData) {
                return rva - s.VirtualAddress + s.PointerToRawData;
            }
        }
        return 0;
    };
    std::vector<std::string> dlls;
    for (const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + offsetOf(imports.VirtualAddress));
         entry->Name != 0; ++entry) {
        std::string name = reinterpret_cast<const char*>(base + offsetOf(entry->Name));
        for (auto& c : name) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
        dlls.push_back(name);
    }
    ASSERT_FALSE(dlls.empty());
    for (const std::string& dll : dlls) {
        EXPECT_EQ(dll.find("libgcc"), std::string::npos) << dll;
        EXPECT_EQ(dll.find("libstdc++"), std::string::npos) << dll;
        EXPECT_EQ(dll.find("libwinpthread"), std::string::npos) << dll;
    }
    EXPECT_NE(std::find(dlls.begin(), dlls.end(), "user32.dll"), dlls.end());
}

}  // namespace
}  // namespace win32test
