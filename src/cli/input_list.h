// The list of inputs that --files0-from reads: names each ended by a NUL byte, as
// find -print0 and xargs -0 exchange them, so that any name gets through whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace palimp::cli {

struct FileNameList {
    std::vector<std::string> names;
    std::vector<std::size_t> emptyEntries;  // 1-based numbers of the empty names, left out
};

// The names in bytes: each ends at a NUL byte, the last one also at the end of the bytes.
// A name is taken as it is, "-" included, never as standard input.
FileNameList SplitFileNames(std::string_view bytes);

}  // namespace palimp::cli
