// The 8-bit code pages palimp-replace reads files without a byte order mark in: named as users
// name them, UTF-8 among them, so that a file that is plain ASCII or UTF-8 stays UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "core/text_codec.h"

namespace palimp::cli {

inline constexpr unsigned kUtf8CodePage = 65001;
inline constexpr unsigned kWindows1252 = 1252;

// A code page ready for reading: page is null when the system has none of that number.
struct CodePageInfo {
    const AnsiCodePage* page = nullptr;
    // Whether every byte string survives decoding and encoding in it unchanged; when false,
    // each input read in it is checked before it is written back.
    bool roundTrips = true;
    // UTF-8: files without a mark are read as UTF-8 and must be well-formed.
    bool utf8 = false;
};

// The number of a code page as it is given to --ansi, in any letter case: utf8, utf-8 or 65001;
// 1252, cp1252 or windows-1252; or any other number. 0 when the name is none of these.
unsigned CodePageNumber(std::string_view name);

// The code page that a POSIX locale's character set (nl_langinfo(CODESET)) stands for: UTF-8
// for UTF-8, and for ASCII, the character set of the C locale, whose files are ASCII and so
// UTF-8 too; Windows-1252 for it and for ISO-8859-1, which it extends; UTF-8 for every other,
// which no code page of ours reads: a file in it is then refused, not misread.
unsigned CodePageOfCharset(std::string_view charset);

// The name --ansi takes for the code page ("utf8", "1252") and its name in messages ("UTF-8",
// "Windows-1252", "code page 437").
std::string CodePageName(unsigned number);
std::string CodePageTitle(unsigned number);

// The code pages of every platform: UTF-8 and Windows-1252; for other numbers the page is null.
CodePageInfo PortableCodePage(unsigned number);

}  // namespace palimp::cli
