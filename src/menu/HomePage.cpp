#include "menu/HomePage.h"

#include <string>
#include <string_view>

#include "platform/Services.h"

namespace menu {

const char* const kHomePageUrl = MAGNIFIER_HOME_URL;

std::string homePageHost() {
    std::string_view url = kHomePageUrl;
    const auto scheme = url.find("://");
    if (scheme != std::string_view::npos) url.remove_prefix(scheme + 3);
    return std::string(url.substr(0, url.find('/')));
}

void openHomePage(const platform::Form& form) {
    const platform::Handle owner = form.hWnd();
    // The result is not looked at: with no handler for web addresses nothing happens.
    platform::shell().ShellExecute(owner, nullptr, kHomePageUrl, nullptr, "C:\\", platform::SW_HIDE);
}

}  // namespace menu
