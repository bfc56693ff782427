// The one edit that turns a text into another, found from the two texts alone. The editor uses
// it to replay its last edit, as one undoable step, in a new edit control.
#pragma once

#include <cstddef>
#include <string_view>

namespace palimp {

// Replacing `removed` units of before at `start` by the `inserted` units of after that stand at
// the same start gives after. The run is as short as the common beginning and end of the two
// texts allow, except that it never starts or ends inside a CR LF pair or a surrogate pair, so
// that an edit control can select it:
//   "a cat sat" -> "a dog sat": start 2, removed 3, inserted 3
//   "aa" -> "aaa": start 2, removed 0, inserted 1
//   "x\r\ny" -> "x\ry": start 1, removed 2, inserted 1 (not between CR and LF)
struct TextChange {
    size_t start = 0;
    size_t removed = 0;
    size_t inserted = 0;
    bool operator==(const TextChange&) const = default;
};

TextChange FindTextChange(std::u16string_view before, std::u16string_view after);

}  // namespace palimp
