// Line diffs of two texts in the unified form of `diff -u`, for previews of a change. The
// texts may arrive a piece at a time, as a pass hands out its input and its result, so that
// a diff of any length holds only the lines of one changed stretch at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace palimp {

// Lines of a text: each ends behind its LF; the last one may have none. An empty text has no
// lines.
std::vector<std::string_view> SplitDiffLines(std::string_view text);

// The unified diff of two texts fed in pieces: "--- oldLabel" and "+++ newLabel", then hunks
// of changed lines with context lines around them, headed "@@ -start,count +start,count @@"
// as diff numbers them, and "\ No newline at end of file" after a last line without LF.
// Nothing at all when the texts are equal. Each hunk goes to the sink once it is complete.
//
// Lines are aligned as they come: equal lines pair off; where they differ, the changed
// stretch ends at the first pair of equal lines (old line i, new line j) with the smallest
// i + j, found by looking one line further on both sides at a time. That is the shortest
// diff for the changes a replace pass makes (lines changed in place, lines joined or split)
// and a correct one for any texts. Memory: the lines of the longest changed stretch, or of
// the longest hunk, whichever is more, and what one side is ahead of the other.
class LineDiffStream {
public:
    LineDiffStream(std::string_view oldLabel, std::string_view newLabel,
                   std::function<void(std::string_view)> sink, std::size_t context = 3);
    void AddOld(std::string_view bytes);
    void AddNew(std::string_view bytes);
    // Both texts have ended: the last hunk goes out.
    void Finish();
    // Whether some hunk has gone to the sink.
    bool Wrote() const { return wrote_; }

private:
    // The lines of one text not yet aligned.
    class Side {
    public:
        void Add(std::string_view bytes);
        void End();
        std::size_t Lines() const { return ends_.size(); }
        bool Ended() const { return ended_; }
        std::string_view Line(std::size_t i) const;
        void Drop(std::size_t lines);

    private:
        std::string text_;                // from base_ on
        std::uint64_t base_ = 0;          // bytes dropped from the front of text_
        std::uint64_t start_ = 0;         // where the first line begins
        std::deque<std::uint64_t> ends_;  // where each complete line ends
        std::size_t scanned_ = 0;         // text_ searched for LF so far
        bool ended_ = false;
    };

    void Align();
    bool FindStretchEnd();
    void Common(std::string_view line);
    void Change(std::size_t oldLines, std::size_t newLines);
    void ContextLine(std::string_view line);
    void CloseHunk();

    std::string oldLabel_, newLabel_;
    std::function<void(std::string_view)> sink_;
    std::size_t context_;
    Side old_, new_;
    // The changed stretch being searched: the lines looked at so far on each side, by hash.
    bool inStretch_ = false;
    std::size_t depth_ = 0;
    std::unordered_map<std::uint64_t, std::size_t> oldSeen_, newSeen_;
    // The hunk being built.
    std::uint64_t oldLine_ = 0, newLine_ = 0;  // lines aligned so far
    bool inHunk_ = false;
    std::uint64_t hunkOld_ = 0, hunkNew_ = 0, hunkOldCount_ = 0, hunkNewCount_ = 0;
    // In pieces of about a megabyte: a hunk may be most of a large file, and pieces are
    // neither copied as they grow nor copied again to go out.
    std::vector<std::string> hunk_;
    std::string& HunkPiece();
    std::size_t gap_ = 0;                // equal lines since the last change
    std::deque<std::string> lead_;       // the last equal lines outside the hunk
    bool wrote_ = false;
};

// The same for two whole texts, as one string.
std::string UnifiedDiff(std::string_view oldText, std::string_view newText,
                        std::string_view oldLabel, std::string_view newLabel,
                        std::size_t context = 3);

}  // namespace palimp
