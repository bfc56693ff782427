// Input bytes to the text the engine replaces in, and the result back to bytes, with every
// way a write-back could silently change bytes turned into a message instead.
#pragma once

#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "core/text_codec.h"

namespace palimp::cli {

// The code page in which inputs without a mark are read, and whether every byte string
// survives reading and writing in it unchanged.
struct CodePageInfo {
    const AnsiCodePage* page = nullptr;
    bool roundTrips = true;
};

struct InputText {
    std::u16string text;
    TextEncoding encoding = TextEncoding::kAnsi;
    // Why writing the text back in its own encoding would not give the input's bytes again
    // (ill-formed UTF-8 after a mark, an odd trailing byte after UTF-16, bytes the code page
    // does not map); empty when it would.
    std::string unfaithful;
};

// Decodes input as the editor reads files (mark, BOM-less UTF-8, ANSI), keeping NULs and line
// breaks; for kUtf16Le, line breaks become CR LF as in the editor. The bytes are released as
// soon as they are no longer needed, since inputs may be large.
InputText DecodeInput(std::string bytes, OutputEncoding mode, const CodePageInfo& codePage);

struct OutputBytes {
    std::string bytes;
    std::string error;  // non-empty: the text cannot be written without loss; bytes are empty
};

// The bytes of text in the output encoding: the input's own one (kKeep), FF FE with UTF-16
// little-endian, or UTF-8 without mark. Characters the target cannot hold (outside the ANSI
// code page, unpaired surrogates in UTF-8) are an error, never a silent substitute.
OutputBytes EncodeOutput(std::u16string_view text, TextEncoding inputEncoding,
                         OutputEncoding mode, const CodePageInfo& codePage);

}  // namespace palimp::cli
