#pragma once
// The maker's web site, opened with the user's default handler for web addresses.
#include <string>

#include "platform/FormToolkit.h"

namespace menu {

// The complete address (scheme, host, root path); a build option can replace it.
#ifndef MAGNIFIER_HOME_URL
#define MAGNIFIER_HOME_URL "http://www.orlenda.hu/"
#endif
inline constexpr const char* kHomePageUrl = MAGNIFIER_HOME_URL;
// The address's host, shown as the menu item's text.
std::string homePageHost();

void openHomePage(const platform::Form& form);

}  // namespace menu
