#pragma once
// Shared by the registry tests: a scratch folder, whole-file helpers and a sample file that
// holds every kind of value and content the program itself does not know.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace regtest {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "regtest.XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const fs::path& file, std::string_view bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Written exactly as the program writes it, so it must come back byte for byte.
inline constexpr std::string_view kSampleFile = R"(REGEDIT4
; kept as written

[HKEY_LOCAL_MACHINE\SOFTWARE\Other Vendor]
"Path"="C:\\Program Files\\\"Other\""

[HKEY_CURRENT_USER\Software\Orlenda]
"Language"=hex:01,00
; the zoom factor
"Zoom"=dword:0000000a
@="default"
"Empty"=""
"NoBytes"=hex:
"Expand"=hex(2):25,00,00,00
"Qword"=hex(b):01,02,03,04,05,06,07,08
"Wide"=hex(1):41,00,42,00
"None"=hex(0):
; end of the key

[HKEY_CURRENT_USER\Software\Orlenda\Kitmora Magnifier]
"Zoom"=hex:02,00

)";

}  // namespace regtest
