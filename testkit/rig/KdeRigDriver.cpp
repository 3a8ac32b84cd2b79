// Drives the headless KWin as a user at its seat would, through KWin's fake-input Wayland
// interface (org_kde_kwin_fake_input), with the commands of rig/DriverCommands.h, as
// magnifier_rig_driver does for mutter.
// KWin binds the interface only for trusted clients; the rig turns its permission checks off.
#include <wayland-client.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake-input-client-protocol.h"
#include "rig/DriverCommands.h"

namespace {

// The keys fake input takes are Linux input event codes; the commands name X keysyms. This is
// the US layout KWin starts with, for the keys a test presses.
unsigned evdev_code(unsigned keysym) {
    static const std::map<unsigned, unsigned> codes = [] {
        std::map<unsigned, unsigned> map{
            {0xff08, 14},  {0xff09, 15},  {0xff0d, 28},  {0xff1b, 1},   {0xffff, 111}, {0x20, 57},
            {0xff50, 102}, {0xff51, 105}, {0xff52, 103}, {0xff53, 106}, {0xff54, 108}, {0xff55, 104},
            {0xff56, 109}, {0xff57, 107}, {0xffe1, 42},  {0xffe2, 54},  {0xffe3, 29},  {0xffe4, 97},
            {0xffe9, 56},  {0xffea, 100}, {0xffeb, 125}, {0x2d, 12},    {0x3d, 13},    {0x30, 11},
            {0xffab, 78},  {0xffad, 74},  {0xffc8, 87},  {0xffc9, 88}};
        const char* letters = "qwertyuiop";  // the rows of letters, with their first codes
        for (unsigned i = 0; letters[i] != '\0'; ++i) map[static_cast<unsigned char>(letters[i])] = 16 + i;
        letters = "asdfghjkl";
        for (unsigned i = 0; letters[i] != '\0'; ++i) map[static_cast<unsigned char>(letters[i])] = 30 + i;
        letters = "zxcvbnm";
        for (unsigned i = 0; letters[i] != '\0'; ++i) map[static_cast<unsigned char>(letters[i])] = 44 + i;
        for (unsigned c = 'a'; c <= 'z'; ++c) map[c - 'a' + 'A'] = map[c];  // Shift is pressed apart
        for (unsigned d = 1; d <= 9; ++d) map['0' + d] = 1 + d;
        for (unsigned f = 0; f < 10; ++f) map[0xffbe + f] = 59 + f;  // F1 to F10
        return map;
    }();
    const auto found = codes.find(keysym);
    if (found == codes.end()) throw std::runtime_error("no key for keysym " + std::to_string(keysym));
    return found->second;
}

class Seat {
public:
    Seat() : display_(wl_display_connect(nullptr)) {
        if (display_ == nullptr) throw std::runtime_error("cannot connect to the Wayland display");
        wl_registry* registry = wl_display_get_registry(display_);
        wl_registry_add_listener(registry, &kRegistryListener, this);
        wl_display_roundtrip(display_);
        wl_registry_destroy(registry);
        if (input_ == nullptr) throw std::runtime_error("the compositor offers no org_kde_kwin_fake_input");
        if (version_ < 4) throw std::runtime_error("org_kde_kwin_fake_input too old for keys and absolute motion");
        org_kde_kwin_fake_input_authenticate(input_, "magnifier test seat", "drives the end-to-end tests");
        sync();
    }
    ~Seat() {
        if (input_ != nullptr) org_kde_kwin_fake_input_destroy(input_);
        wl_display_disconnect(display_);
    }
    Seat(const Seat&) = delete;
    Seat& operator=(const Seat&) = delete;

    void move(double x, double y) {
        org_kde_kwin_fake_input_pointer_motion_absolute(input_, wl_fixed_from_double(x), wl_fixed_from_double(y));
        sync();
    }
    void nudge(double dx, double dy) {
        org_kde_kwin_fake_input_pointer_motion(input_, wl_fixed_from_double(dx), wl_fixed_from_double(dy));
        sync();
    }
    // Every key must have a code before any is pressed.
    void checkKeys(const std::vector<unsigned>& keysyms) const {
        for (unsigned keysym : keysyms) evdev_code(keysym);
    }
    void key(unsigned keysym, bool down) {
        org_kde_kwin_fake_input_keyboard_key(input_, evdev_code(keysym), down ? WL_KEYBOARD_KEY_STATE_PRESSED
                                                                              : WL_KEYBOARD_KEY_STATE_RELEASED);
        sync();
    }

    void click() {
        for (uint32_t state : {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
            org_kde_kwin_fake_input_button(input_, kLeftButton, state);
            sync();
        }
    }

private:
    static constexpr uint32_t kLeftButton = 0x110;  // BTN_LEFT

    // The compositor answers a round trip after it has handled every request sent before it.
    void sync() {
        if (wl_display_roundtrip(display_) < 0) {
            throw std::runtime_error(std::string("the Wayland connection failed: ") + std::strerror(errno));
        }
    }
    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
        auto* seat = static_cast<Seat*>(data);
        if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) != 0) return;
        seat->version_ = std::min<uint32_t>(version, 4);
        seat->input_ = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, seat->version_));
    }
    static void global_remove(void*, wl_registry*, uint32_t) {}
    static constexpr wl_registry_listener kRegistryListener{global, global_remove};

    wl_display* display_;
    org_kde_kwin_fake_input* input_ = nullptr;
    uint32_t version_ = 0;
};

}  // namespace

int main(int argc, char** argv) { return rig::serve<Seat>(argc, argv, "kde-rig-driver"); }
