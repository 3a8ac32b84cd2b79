#include "platform/Services.h"

#include <stdexcept>

namespace platform {
namespace {

Services current;

template <typename T>
T& require(T* service, const char* name) {
    if (service == nullptr) {
        throw std::logic_error(std::string("no platform service installed: ") + name);
    }
    return *service;
}

}  // namespace

ServicesScope::ServicesScope(const Services& services) : previous_(current) { current = services; }
ServicesScope::~ServicesScope() { current = previous_; }

WindowSystem& windows() { return require(current.windows, "windows"); }
Graphics& graphics() { return require(current.graphics, "graphics"); }
Registry& registry() { return require(current.registry, "registry"); }
Shell& shell() { return require(current.shell, "shell"); }
Menus& menus() { return require(current.menus, "menus"); }
FormToolkit& toolkit() { return require(current.toolkit, "toolkit"); }
Clipboard& clipboard() { return require(current.clipboard, "clipboard"); }
Dialogs& dialogs() { return require(current.dialogs, "dialogs"); }
ScreenStatus& screenStatus() { return require(current.screenStatus, "screen status"); }

}  // namespace platform
