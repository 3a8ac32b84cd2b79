// Where --help, --version and refused arguments reach a Windows user: into the output the caller
// gave the program (a pipe here), else into a message box, since a desktop program has no console.
#include <atomic>
#include <string>
#include <thread>

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

class Pipe {
public:
    Pipe() { ::CreatePipe(&read_, &write_, nullptr, 0); }
    ~Pipe() {
        if (read_ != nullptr) ::CloseHandle(read_);
        if (write_ != nullptr) ::CloseHandle(write_);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    HANDLE writeEnd() const { return write_; }
    std::string readSome() const {
        char buffer[256] = {};
        DWORD got = 0;
        ::ReadFile(read_, buffer, sizeof buffer, &got, nullptr);
        return std::string(buffer, got);
    }

private:
    HANDLE read_ = nullptr;
    HANDLE write_ = nullptr;
};

TEST(CommandLineAnswer, GoesIntoTheErrorOutputTheCallerGave) {
    const Pipe pipe;
    const StdHandleScope errors(STD_ERROR_HANDLE, pipe.writeEnd());
    platform::showCommandLineAnswer("magnifier: unknown option '-x'\n", true);
    EXPECT_EQ(pipe.readSome(), "magnifier: unknown option '-x'\n");
}

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
    platform::showCommandLineAnswer("magnifier 1.2.0\n", false);
    answered = true;
    user.join();
    EXPECT_EQ(shown, L"magnifier 1.2.0");
}

}  // namespace
}  // namespace win32test
