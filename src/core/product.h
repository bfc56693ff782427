/* The product's names, version and the maker's web addresses, in one place. Plain macros
   first, so that the resource compiler can read this header too. */
#pragma once

#define PALIMP_PRODUCT_NAME "Palimp"
#define PALIMP_VERSION_TEXT "1.2 Free"
#define PALIMP_FILE_VERSION "1.2.0.5"
#define PALIMP_FILE_VERSION_NUMBERS 1, 2, 0, 5
#define PALIMP_MAKER_NAME "Palimp developers"
#define PALIMP_MAKER_DOMAIN "palimp.example.org"
#define PALIMP_COPYRIGHT "(C) 2026 Palimp developers"

#ifndef RC_INVOKED
#include <string_view>

namespace palimp::product {

inline constexpr std::u16string_view kName = u"" PALIMP_PRODUCT_NAME;
inline constexpr std::u16string_view kVersionText = u"" PALIMP_VERSION_TEXT;   // "1.2 Free"
inline constexpr std::u16string_view kFileVersion = u"" PALIMP_FILE_VERSION;   // "1.2.0.5"
inline constexpr std::u16string_view kSlogan = u"Replace many text phrases at once";
inline constexpr std::u16string_view kMakerName = u"" PALIMP_MAKER_NAME;
// The maker's web domain, shown by the about box and the error report.
inline constexpr std::u16string_view kMakerDomain = u"" PALIMP_MAKER_DOMAIN;
// Web addresses on the maker's web host.
inline constexpr std::u16string_view kMakerUrl = u"https://" PALIMP_MAKER_DOMAIN u"/";
inline constexpr std::u16string_view kOnlineHelpUrl = u"https://" PALIMP_MAKER_DOMAIN u"/Palimp/help/";
inline constexpr std::u16string_view kWebPageUrl = u"https://" PALIMP_MAKER_DOMAIN u"/Palimp/?ver=1.2";
// The report server: error reports go there over HTTPS, because they may carry the user's
// e-mail address.
inline constexpr std::u16string_view kReportServer = u"https://" PALIMP_MAKER_DOMAIN;

}  // namespace palimp::product
#endif
