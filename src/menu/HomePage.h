#pragma once
// The maker's web site, opened with the user's default handler for web addresses.
#include <string>

#include "platform/FormToolkit.h"

namespace menu {

// The complete address (scheme, host, root path), set by the build option MAGNIFIER_HOME_URL.
extern const char* const kHomePageUrl;
// The address's host, shown as the menu item's text.
std::string homePageHost();

void openHomePage(const platform::Form& form);

}  // namespace menu
