// Where --help, --version and refused arguments reach a Windows user who gave the program no
// output to write to: a message box, since a desktop program has no console. The answers written
// into pipes are checked on the program itself (check-command-line.sh).
#include <atomic>
#include <string>
#include <thread>

#include "base/Version.h"
#include "platform/CommandLineAnswer.h"
#include "Win32TestSupport.h"

namespace win32test {
namespace {

// Sets a standard handle for the test's duration and puts the old one back.
class StdHandleScope {
public:
    StdHandleScope(DWORD which, HANDLE handle) : which_(which), old_(::GetStdHandle(which)) {
        ::SetStdHandle(which, handle);
    }
    ~StdHandleScope() { ::SetStdHandle(which_, old_); }
    StdHandleScope(const StdHandleScope&) = delete;
    StdHandleScope& operator=(const StdHandleScope&) = delete;

private:
    DWORD which_;
    HANDLE old_;
};

TEST(CommandLineAnswer, WithoutAnOutputShowsAMessageBoxTitledMagnifier) {
    const StdHandleScope output(STD_OUTPUT_HANDLE, nullptr);
    std::atomic<bool> answered{false};
    std::wstring shown;
    // The box is modal: another thread finds it, reads its text and presses OK.
    std::thread user([&] {
        for (int i = 0; i < 500 && !answered; ++i) {
            if (HWND box = ::FindWindowW(L"#32770", L"Magnifier"); box != nullptr) {
                wchar_t text[256] = {};
                ::GetDlgItemTextW(box, 0xFFFF, text, 256);
                shown = text;
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            ::Sleep(20);
        }
    });
    const std::string version(base::kVersion);
    platform::showCommandLineAnswer("magnifier " + version + "\n", false);
    answered = true;
    user.join();
    EXPECT_EQ(shown, L"magnifier " + std::wstring(version.begin(), version.end()));
}

}  // namespace
}  // namespace win32test
