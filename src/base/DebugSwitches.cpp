#include "base/DebugSwitches.h"

#include <cstdlib>

namespace base {
namespace {

// Set and not empty.
bool switchedOn(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

const DebugSwitches& debugSwitches() {
    static const DebugSwitches switches{switchedOn("MAGNIFIER_NO_SHM"), switchedOn("MAGNIFIER_STATS"),
                                        switchedOn("MAGNIFIER_NO_CHANGE_EVENTS"), switchedOn("MAGNIFIER_NO_XRENDER")};
    return switches;
}

}  // namespace base
