#pragma once
// A fresh directory under $TMPDIR (or /tmp), removed with everything in it by the destructor.
#include <filesystem>
#include <string>

namespace e2e {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "magnifier-e2e");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    TempDir(TempDir&& other) noexcept;
    TempDir& operator=(TempDir&& other) noexcept;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    void remove() noexcept;
    std::filesystem::path path_;
};

}  // namespace e2e
