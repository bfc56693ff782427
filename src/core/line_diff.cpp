// Line diffs, aligned as the lines come (see LineDiffStream in the header).
#include "core/line_diff.h"

#include <algorithm>
#include <utility>

namespace palimp {

namespace {

std::uint64_t HashOf(std::string_view line) { return std::hash<std::string_view>{}(line); }

// diff's numbering of a range: its first line and its count, the count left out when it is
// one, and the line before the range when it is empty.
std::string Range(std::uint64_t from, std::uint64_t count) {
    if (count == 0) return std::to_string(from) + ",0";
    if (count == 1) return std::to_string(from + 1);
    return std::to_string(from + 1) + "," + std::to_string(count);
}

void AppendLine(std::string& out, char mark, std::string_view line) {
    out += mark;
    out += line;
    if (line.empty() || line.back() != '\n') out += "\n\\ No newline at end of file\n";
}

}  // namespace

std::vector<std::string_view> SplitDiffLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

void LineDiffStream::Side::Add(std::string_view bytes) {
    // Drop what is aligned once it is most of the buffer, so that it does not grow.
    const auto dropped = static_cast<std::size_t>(start_ - base_);
    if (dropped > (std::size_t{1} << 16) && dropped * 2 > text_.size()) {
        text_.erase(0, dropped);
        scanned_ -= dropped;
        base_ = start_;
    }
    text_.append(bytes);
    for (std::size_t lf; (lf = text_.find('\n', scanned_)) != std::string::npos;) {
        ends_.push_back(base_ + lf + 1);
        scanned_ = lf + 1;
    }
    scanned_ = text_.size();
}

void LineDiffStream::Side::End() {
    const std::uint64_t last = ends_.empty() ? start_ : ends_.back();
    if (base_ + text_.size() > last) ends_.push_back(base_ + text_.size());
    ended_ = true;
}

std::string_view LineDiffStream::Side::Line(std::size_t i) const {
    const std::uint64_t begin = i == 0 ? start_ : ends_[i - 1];
    return std::string_view(text_).substr(static_cast<std::size_t>(begin - base_),
                                          static_cast<std::size_t>(ends_[i] - begin));
}

void LineDiffStream::Side::Drop(std::size_t lines) {
    if (lines == 0) return;
    start_ = ends_[lines - 1];
    ends_.erase(ends_.begin(), ends_.begin() + static_cast<std::ptrdiff_t>(lines));
}

LineDiffStream::LineDiffStream(std::string_view oldLabel, std::string_view newLabel,
                               std::function<void(std::string_view)> sink, std::size_t context)
    : oldLabel_(oldLabel), newLabel_(newLabel), sink_(std::move(sink)), context_(context) {}

void LineDiffStream::AddOld(std::string_view bytes) {
    old_.Add(bytes);
    Align();
}

void LineDiffStream::AddNew(std::string_view bytes) {
    new_.Add(bytes);
    Align();
}

void LineDiffStream::Finish() {
    old_.End();
    new_.End();
    Align();
    if (inHunk_) CloseHunk();
}

void LineDiffStream::Align() {
    for (;;) {
        if (!inStretch_) {
            while (old_.Lines() > 0 && new_.Lines() > 0 && old_.Line(0) == new_.Line(0)) {
                Common(old_.Line(0));
                old_.Drop(1);
                new_.Drop(1);
            }
            const bool bothHaveLines = old_.Lines() > 0 && new_.Lines() > 0;
            const bool oneIsOver = (old_.Ended() && new_.Lines() > 0) || (new_.Ended() && old_.Lines() > 0);
            if (!bothHaveLines && !oneIsOver) return;
            inStretch_ = true;
            depth_ = 0;
            oldSeen_.clear();
            newSeen_.clear();
        }
        if (!FindStretchEnd()) return;
    }
}

// Looks one line further on both sides at a time; at depth d the old line d is compared with
// the new lines before it and the other way round. True when the stretch is over.
bool LineDiffStream::FindStretchEnd() {
    for (;; ++depth_) {
        const std::size_t d = depth_;
        const bool oldHas = d < old_.Lines(), newHas = d < new_.Lines();
        if ((!oldHas && !old_.Ended()) || (!newHas && !new_.Ended())) return false;  // more to come
        if (!oldHas && !newHas) {
            // Both texts end inside the stretch.
            Change(old_.Lines(), new_.Lines());
            inStretch_ = false;
            return true;
        }
        std::size_t bestOld = SIZE_MAX, bestNew = SIZE_MAX;
        const auto consider = [&](std::size_t i, std::size_t j) {
            if (old_.Line(i) != new_.Line(j)) return;  // a hash collision
            if (bestOld == SIZE_MAX || i + j < bestOld + bestNew || (i + j == bestOld + bestNew && i < bestOld)) {
                bestOld = i;
                bestNew = j;
            }
        };
        const std::uint64_t oldHash = oldHas ? HashOf(old_.Line(d)) : 0;
        const std::uint64_t newHash = newHas ? HashOf(new_.Line(d)) : 0;
        if (oldHas) {
            if (const auto it = newSeen_.find(oldHash); it != newSeen_.end()) consider(d, it->second);
        }
        if (newHas) {
            if (const auto it = oldSeen_.find(newHash); it != oldSeen_.end()) consider(it->second, d);
        }
        if (oldHas && newHas && oldHash == newHash) consider(d, d);
        if (bestOld != SIZE_MAX) {
            Change(bestOld, bestNew);
            inStretch_ = false;
            return true;
        }
        if (oldHas) oldSeen_.try_emplace(oldHash, d);
        if (newHas) newSeen_.try_emplace(newHash, d);
    }
}

std::string& LineDiffStream::HunkPiece() {
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    if (hunk_.empty() || hunk_.back().size() >= kPiece) {
        hunk_.emplace_back();
        hunk_.back().reserve(kPiece + 4096);
    }
    return hunk_.back();
}

void LineDiffStream::ContextLine(std::string_view line) {
    AppendLine(HunkPiece(), ' ', line);
    ++hunkOldCount_;
    ++hunkNewCount_;
}

void LineDiffStream::Common(std::string_view line) {
    ++oldLine_;
    ++newLine_;
    if (inHunk_) {
        ++gap_;
        if (gap_ <= context_) {
            ContextLine(line);
            return;
        }
    }
    lead_.emplace_back(line);
    if (lead_.size() > context_) lead_.pop_front();
    // Changes more than twice the context apart go to hunks of their own.
    if (inHunk_ && gap_ > 2 * context_) CloseHunk();
}

void LineDiffStream::Change(std::size_t oldLines, std::size_t newLines) {
    if (!inHunk_) {
        inHunk_ = true;
        hunkOld_ = oldLine_ - lead_.size();
        hunkNew_ = newLine_ - lead_.size();
        hunkOldCount_ = hunkNewCount_ = 0;
    }
    for (const std::string& line : lead_) ContextLine(line);
    lead_.clear();
    for (std::size_t i = 0; i < oldLines; ++i) AppendLine(HunkPiece(), '-', old_.Line(i));
    for (std::size_t j = 0; j < newLines; ++j) AppendLine(HunkPiece(), '+', new_.Line(j));
    hunkOldCount_ += oldLines;
    hunkNewCount_ += newLines;
    oldLine_ += oldLines;
    newLine_ += newLines;
    old_.Drop(oldLines);
    new_.Drop(newLines);
    gap_ = 0;
}

void LineDiffStream::CloseHunk() {
    std::string out;
    if (!wrote_) out = "--- " + oldLabel_ + "\n+++ " + newLabel_ + "\n";
    out += "@@ -" + Range(hunkOld_, hunkOldCount_) + " +" + Range(hunkNew_, hunkNewCount_) + " @@\n";
    if (hunk_.size() == 1) out += hunk_.front();  // small hunks go out in one write
    sink_(out);
    if (hunk_.size() > 1) {
        for (const std::string& piece : hunk_) sink_(piece);
    }
    hunk_.clear();
    inHunk_ = false;
    wrote_ = true;
}

std::string UnifiedDiff(std::string_view oldText, std::string_view newText,
                        std::string_view oldLabel, std::string_view newLabel, std::size_t context) {
    std::string out;
    LineDiffStream diff(oldLabel, newLabel, [&out](std::string_view hunk) { out += hunk; }, context);
    diff.AddOld(oldText);
    diff.AddNew(newText);
    diff.Finish();
    return out;
}

}  // namespace palimp
