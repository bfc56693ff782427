// The choice of the local help page.
#include "core/help_pages.h"

#include <cstdio>

namespace palimp {

std::u16string HelpPageName(int context) {
    char digits[24] = {};
    std::snprintf(digits, sizeof digits, "%.4d.html", context);
    return std::u16string(digits, digits + std::char_traits<char>::length(digits));
}

std::u16string ChooseHelpPage(int context, bool startedByF1,
                              const std::function<bool(const std::u16string& page)>& pageExists) {
    std::u16string page = u"index.html";
    if (startedByF1 && context > 0 && pageExists(HelpPageName(context))) page = HelpPageName(context);
    return pageExists(page) ? page : std::u16string();
}

}  // namespace palimp
