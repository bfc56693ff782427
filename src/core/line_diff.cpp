// Line diffs. The alignment is patience diff's: lines that occur once in both texts and keep
// their order anchor it, the gaps between anchors are aligned the same way, and a gap without
// such lines is left to Myers' shortest edit script, up to a bound on its cost (beyond it, the
// gap is shown as replaced whole: still a correct diff, if not the shortest).
#include "core/line_diff.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace palimp {

namespace {

using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;
using Ids = std::vector<std::uint32_t>;

struct Region {
    std::size_t a0, a1, b0, b1;
};

// Myers' edit distance beyond which a gap is not searched further: the search costs about the
// square of it in time and memory.
constexpr std::size_t kMaxEdits = 1000;

// The longest common subsequence of a[a0, a1) and b[b0, b1) by Myers' greedy search; false
// when it needs more than kMaxEdits insertions and deletions.
bool Myers(const Ids& a, const Ids& b, const Region& r, Pairs& out) {
    const auto n = static_cast<std::ptrdiff_t>(r.a1 - r.a0);
    const auto m = static_cast<std::ptrdiff_t>(r.b1 - r.b0);
    const std::ptrdiff_t limit = std::min<std::ptrdiff_t>(n + m, kMaxEdits);
    const std::ptrdiff_t offset = limit + 1;
    std::vector<std::ptrdiff_t> v(static_cast<std::size_t>(2 * offset + 1), 0);
    std::vector<std::vector<std::ptrdiff_t>> trace;  // v after each step, over -d-1..d+1
    const auto at = [&](std::ptrdiff_t k) -> std::ptrdiff_t& { return v[static_cast<std::size_t>(k + offset)]; };
    std::ptrdiff_t done = -1;
    for (std::ptrdiff_t d = 0; d <= limit && done < 0; ++d) {
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
            std::ptrdiff_t y = x - k;
            while (x < n && y < m && a[r.a0 + static_cast<std::size_t>(x)] == b[r.b0 + static_cast<std::size_t>(y)]) {
                ++x;
                ++y;
            }
            at(k) = x;
            if (x >= n && y >= m) done = d;
        }
        trace.emplace_back(v.begin() + (offset - d - 1), v.begin() + (offset + d + 2));
    }
    if (done < 0) return false;
    Pairs reversed;
    std::ptrdiff_t x = n, y = m;
    for (std::ptrdiff_t d = done; d > 0; --d) {
        const std::vector<std::ptrdiff_t>& prev = trace[static_cast<std::size_t>(d - 1)];
        const auto before = [&](std::ptrdiff_t k) { return prev[static_cast<std::size_t>(k + d)]; };
        const std::ptrdiff_t k = x - y;
        const std::ptrdiff_t prevK = (k == -d || (k != d && before(k - 1) < before(k + 1))) ? k + 1 : k - 1;
        const std::ptrdiff_t prevX = before(prevK);
        const std::ptrdiff_t prevY = prevX - prevK;
        while (x > prevX && y > prevY) {
            --x;
            --y;
            reversed.emplace_back(r.a0 + static_cast<std::size_t>(x), r.b0 + static_cast<std::size_t>(y));
        }
        x = prevX;
        y = prevY;
    }
    while (x > 0 && y > 0) {
        --x;
        --y;
        reversed.emplace_back(r.a0 + static_cast<std::size_t>(x), r.b0 + static_cast<std::size_t>(y));
    }
    out.insert(out.end(), reversed.rbegin(), reversed.rend());
    return true;
}

// Lines that occur exactly once on either side of the region, in the longest run that keeps
// their order on both sides.
Pairs UniqueAnchors(const Ids& a, const Ids& b, const Region& r) {
    struct Seen {
        std::size_t inA = 0, inB = 0, posA = 0, posB = 0;
    };
    std::unordered_map<std::uint32_t, Seen> seen;
    for (std::size_t i = r.a0; i < r.a1; ++i) {
        Seen& s = seen[a[i]];
        ++s.inA;
        s.posA = i;
    }
    for (std::size_t j = r.b0; j < r.b1; ++j) {
        auto it = seen.find(b[j]);
        if (it == seen.end()) continue;
        ++it->second.inB;
        it->second.posB = j;
    }
    Pairs unique;
    for (std::size_t i = r.a0; i < r.a1; ++i) {
        const Seen& s = seen[a[i]];
        if (s.inA == 1 && s.inB == 1) unique.emplace_back(i, s.posB);
    }
    // Longest increasing run of new positions (patience sorting with back links).
    std::vector<std::size_t> tails, link(unique.size());
    for (std::size_t u = 0; u < unique.size(); ++u) {
        const auto it = std::lower_bound(tails.begin(), tails.end(), unique[u].second,
                                         [&](std::size_t t, std::size_t pos) { return unique[t].second < pos; });
        link[u] = it == tails.begin() ? SIZE_MAX : *(it - 1);
        if (it == tails.end()) {
            tails.push_back(u);
        } else {
            *it = u;
        }
    }
    Pairs anchors;
    for (std::size_t u = tails.empty() ? SIZE_MAX : tails.back(); u != SIZE_MAX; u = link[u]) {
        anchors.push_back(unique[u]);
    }
    std::reverse(anchors.begin(), anchors.end());
    return anchors;
}

Pairs Align(const Ids& a, const Ids& b) {
    Pairs matches;
    std::vector<Region> work = {{0, a.size(), 0, b.size()}};
    while (!work.empty()) {
        Region r = work.back();
        work.pop_back();
        while (r.a0 < r.a1 && r.b0 < r.b1 && a[r.a0] == b[r.b0]) matches.emplace_back(r.a0++, r.b0++);
        while (r.a0 < r.a1 && r.b0 < r.b1 && a[r.a1 - 1] == b[r.b1 - 1]) matches.emplace_back(--r.a1, --r.b1);
        if (r.a0 == r.a1 || r.b0 == r.b1) continue;
        const Pairs anchors = UniqueAnchors(a, b, r);
        if (anchors.empty()) {
            Myers(a, b, r, matches);
            continue;
        }
        std::size_t a0 = r.a0, b0 = r.b0;
        for (const auto& [i, j] : anchors) {
            matches.emplace_back(i, j);
            work.push_back({a0, i, b0, j});
            a0 = i + 1;
            b0 = j + 1;
        }
        work.push_back({a0, r.a1, b0, r.b1});
    }
    std::sort(matches.begin(), matches.end());
    return matches;
}

// diff's numbering of a range: its first line and its count, the count left out when it is
// one, and the line before the range when it is empty.
std::string Range(std::size_t from, std::size_t count) {
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

Pairs AlignLines(std::span<const std::string_view> oldLines, std::span<const std::string_view> newLines) {
    std::unordered_map<std::string_view, std::uint32_t> ids;
    const auto idsOf = [&ids](std::span<const std::string_view> lines) {
        Ids out;
        out.reserve(lines.size());
        for (std::string_view line : lines) {
            out.push_back(ids.try_emplace(line, static_cast<std::uint32_t>(ids.size())).first->second);
        }
        return out;
    };
    const Ids a = idsOf(oldLines);
    const Ids b = idsOf(newLines);
    return Align(a, b);
}

std::string UnifiedDiff(std::string_view oldText, std::string_view newText,
                        std::string_view oldLabel, std::string_view newLabel, std::size_t context) {
    if (oldText == newText) return {};
    const std::vector<std::string_view> a = SplitDiffLines(oldText);
    const std::vector<std::string_view> b = SplitDiffLines(newText);
    Pairs matches = AlignLines(a, b);
    matches.emplace_back(a.size(), b.size());  // a sentinel behind the last lines

    // The changes: the lines between two consecutive matches.
    struct Change {
        std::size_t a0, a1, b0, b1;
    };
    std::vector<Change> changes;
    std::size_t i = 0, j = 0;
    for (const auto& [mi, mj] : matches) {
        if (mi > i || mj > j) changes.push_back({i, mi, j, mj});
        i = mi + 1;
        j = mj + 1;
    }

    std::string out = "--- " + std::string(oldLabel) + "\n+++ " + std::string(newLabel) + "\n";
    for (std::size_t first = 0; first < changes.size();) {
        // Changes closer than twice the context share a hunk.
        std::size_t last = first;
        while (last + 1 < changes.size() && changes[last + 1].a0 - changes[last].a1 <= 2 * context) ++last;
        const Change& head = changes[first];
        const Change& tail = changes[last];
        const std::size_t lead = std::min(context, head.a0);
        const std::size_t trail = std::min(context, a.size() - tail.a1);
        const std::size_t a0 = head.a0 - lead, a1 = tail.a1 + trail;
        const std::size_t b0 = head.b0 - lead, b1 = tail.b1 + trail;
        out += "@@ -" + Range(a0, a1 - a0) + " +" + Range(b0, b1 - b0) + " @@\n";
        std::size_t at = a0;
        for (std::size_t c = first; c <= last; ++c) {
            for (; at < changes[c].a0; ++at) AppendLine(out, ' ', a[at]);
            for (std::size_t k = changes[c].a0; k < changes[c].a1; ++k) AppendLine(out, '-', a[k]);
            for (std::size_t k = changes[c].b0; k < changes[c].b1; ++k) AppendLine(out, '+', b[k]);
            at = changes[c].a1;
        }
        for (; at < a1; ++at) AppendLine(out, ' ', a[at]);
        first = last + 1;
    }
    return out;
}

}  // namespace palimp
