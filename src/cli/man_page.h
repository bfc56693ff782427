// The manual page palimp-replace.1, made from the text of --help, so that the two never
// tell different stories.
#pragma once

#include <string>
#include <string_view>

namespace palimp::cli {

// The page in roff (man macros) for help as UsageText writes it: the usage lines become the
// synopsis, the first paragraph the description, the option lines the options, the other
// paragraphs sections of their own, the indented lines examples as they are.
std::string ManPageFromHelp(std::string_view help, std::string_view version);

}  // namespace palimp::cli
