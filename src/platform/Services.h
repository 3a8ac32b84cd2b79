#pragma once
// The platform services the portable core calls. One back end installs its implementations at
// start-up (or a test installs the in-memory ones); the core reaches them through these accessors,
// as it would reach the operating system's own functions.
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/FormToolkit.h"
#include "platform/Graphics.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "platform/ScreenStatus.h"
#include "platform/Shell.h"
#include "platform/WindowSystem.h"

namespace platform {

struct Services {
    WindowSystem* windows = nullptr;
    Graphics* graphics = nullptr;
    Registry* registry = nullptr;
    Shell* shell = nullptr;
    Menus* menus = nullptr;
    FormToolkit* toolkit = nullptr;
    Clipboard* clipboard = nullptr;
    Dialogs* dialogs = nullptr;
    ScreenStatus* screenStatus = nullptr;
};

// Installs a set of services for the lifetime of the object and puts the previous set back after.
class ServicesScope {
public:
    explicit ServicesScope(const Services& services);
    ~ServicesScope();
    ServicesScope(const ServicesScope&) = delete;
    ServicesScope& operator=(const ServicesScope&) = delete;

private:
    Services previous_;
};

// Each accessor fails loudly (std::logic_error) when no back end has installed that service.
WindowSystem& windows();
Graphics& graphics();
Registry& registry();
Shell& shell();
Menus& menus();
FormToolkit& toolkit();
Clipboard& clipboard();
Dialogs& dialogs();
ScreenStatus& screenStatus();

}  // namespace platform
