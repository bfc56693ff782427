// The system's ANSI code page (CP_ACP) for the core's text decoding and the application title.
#pragma once

#include <string>
#include <string_view>

#include "core/text_codec.h"

namespace palimp {

class WindowsAnsiCodePage final : public AnsiCodePage {
public:
    std::u16string ToUtf16(std::string_view bytes) const override;
    // The system's standard conversion (similar characters where the code page knows one, the
    // default character otherwise); lossless only when nothing was substituted.
    std::string FromUtf16(std::u16string_view text, bool& lossless) const override;
};

const AnsiCodePage& SystemAnsiCodePage();

// text as it reads after a trip through the ANSI code page (what 8-bit places such as the
// taskbar button of an 8-bit program show).
std::wstring ThroughAnsiCodePage(std::wstring_view text);

}  // namespace palimp
