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

// What a user saw in the box: its text and its outer rectangle. The box is modal: another
// thread finds it, reads it and presses OK.
struct ShownBox {
    std::wstring text;
    RECT frame{};
};

ShownBox answerInABox(std::string_view text, bool isError) {
    const StdHandleScope output(STD_OUTPUT_HANDLE, nullptr);
    const StdHandleScope errors(STD_ERROR_HANDLE, nullptr);
    std::atomic<bool> answered{false};
    ShownBox shown;
    std::thread user([&] {
        for (int i = 0; i < 500 && !answered; ++i) {
            if (HWND box = ::FindWindowW(L"#32770", L"Magnifier"); box != nullptr) {
                wchar_t buffer[4096] = {};
                ::GetDlgItemTextW(box, 0xFFFF, buffer, 4096);
                shown.text = buffer;
                ::GetWindowRect(box, &shown.frame);
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            ::Sleep(20);
        }
    });
    EXPECT_TRUE(platform::showCommandLineAnswer(text, isError));
    answered = true;
    user.join();
    return shown;
}

TEST(CommandLineAnswer, WithoutAnOutputShowsAMessageBoxTitledMagnifier) {
    const std::string version(base::kVersion);
    EXPECT_EQ(answerInABox("magnifier " + version + "\n", false).text,
              L"magnifier " + std::wstring(version.begin(), version.end()));
}

// One long word cannot wrap: a whole 3000-character argument made a box far wider than the
// screen, its OK button out of reach. The argument is cut inside its quotes instead.
TEST(CommandLineAnswer, ALongArgumentIsShortenedSoTheBoxFitsTheScreen) {
    const std::string argument(3000, 'x');
    const ShownBox shown = answerInABox(
        "magnifier: unknown option '--" + argument + "'\nTry 'magnifier --help' for more information.\n", true);
    const std::wstring second = L"\nTry 'magnifier --help' for more information.";
    ASSERT_TRUE(shown.text.starts_with(L"magnifier: unknown option '--xxxx")) << shown.text.size();
    EXPECT_TRUE(shown.text.ends_with(L"xxx\u2026'" + second)) << shown.text.size();
    EXPECT_LE(shown.text.size(), 100 + second.size());
    EXPECT_GE(shown.frame.left, 0);
    EXPECT_LE(shown.frame.right, ::GetSystemMetrics(SM_CXSCREEN));
}

}  // namespace
}  // namespace win32test
