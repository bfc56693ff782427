// Line diffs of two texts in the unified form of `diff -u`, for previews of a change.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace palimp {

// Lines of a text: each ends behind its LF; the last one may have none. An empty text has no
// lines.
std::vector<std::string_view> SplitDiffLines(std::string_view text);

// An alignment of two line lists: the pairs of equal lines (old index, new index) kept, both
// ascending. Every line outside the pairs is deleted (old) or inserted (new).
std::vector<std::pair<std::size_t, std::size_t>> AlignLines(std::span<const std::string_view> oldLines,
                                                            std::span<const std::string_view> newLines);

// The unified diff of two texts: "--- oldLabel" and "+++ newLabel", then hunks of changed
// lines with context lines around them, headed "@@ -start,count +start,count @@" as diff
// numbers them, and "\ No newline at end of file" after a last line without LF. Lines unique
// to both sides anchor the alignment, so a change to some lines of a long text stays a few
// small hunks. Empty when the texts are equal.
std::string UnifiedDiff(std::string_view oldText, std::string_view newText,
                        std::string_view oldLabel, std::string_view newLabel,
                        std::size_t context = 3);

}  // namespace palimp
