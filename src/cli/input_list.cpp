// Splitting the NUL-separated name list of --files0-from.
#include "cli/input_list.h"

namespace palimp::cli {

FileNameList SplitFileNames(std::string_view bytes) {
    FileNameList list;
    std::size_t entry = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\0', at);
        if (end == std::string_view::npos) end = bytes.size();
        ++entry;
        if (end == at) {
            list.emptyEntries.push_back(entry);
        } else {
            list.names.emplace_back(bytes.substr(at, end - at));
        }
        at = end + 1;
    }
    return list;
}

}  // namespace palimp::cli
