// Which local help page the Help command opens: "0004.html" for help context 4 when F1 asked
// for it and the page is there, "index.html" otherwise; nothing when that page is missing too.
#pragma once

#include <functional>
#include <string>

namespace palimp {

// The page name for a help context ("%.4d.html"; contexts above 9999 keep all their digits).
std::u16string HelpPageName(int context);

// The page to open, or empty when there is none. pageExists tells whether a page of the help
// folder exists.
std::u16string ChooseHelpPage(int context, bool startedByF1,
                              const std::function<bool(const std::u16string& page)>& pageExists);

}  // namespace palimp
