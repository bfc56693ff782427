// Unified line diffs: what GNU diff -u prints for cases with only one shortest diff, and on
// random texts, a diff that patches the old text into the new one.
#include "core/line_diff.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace palimp {
namespace {

TEST(UnifiedDiff, PrintsWhatDiffDashUPrints) {
    // Expected outputs from GNU diffutils 3.8, diff -u --label old --label new.
    const struct {
        const char* name;
        std::string before, after, expected;
    } cases[] = {
        {"one line", "a\nb\nc\n", "a\nB\nc\n", "@@ -1,3 +1,3 @@\n a\n-b\n+B\n c\n"},
        {"two hunks", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n",
         "1\nX\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\nY\n16\n",
         "@@ -1,5 +1,5 @@\n 1\n-2\n+X\n 3\n 4\n 5\n@@ -12,5 +12,5 @@\n 12\n 13\n 14\n-15\n+Y\n 16\n"},
        {"six lines apart share a hunk", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", "1\nX\n3\n4\n5\n6\n7\n8\nY\n10\n",
         "@@ -1,10 +1,10 @@\n 1\n-2\n+X\n 3\n 4\n 5\n 6\n 7\n 8\n-9\n+Y\n 10\n"},
        {"no newline at the end", "a\nb", "a\nc",
         "@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+c\n\\ No newline at end of file\n"},
        {"a newline added", "a\nb", "a\nb\n", "@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+b\n"},
        {"from empty", "", "a\nb\n", "@@ -0,0 +1,2 @@\n+a\n+b\n"},
        {"to empty", "a\n", "", "@@ -1 +0,0 @@\n-a\n"},
        {"an inserted line", "a\nb\nc\nd\ne\nf\ng\nh\n", "a\nb\nc\nd\nnew\ne\nf\ng\nh\n",
         "@@ -2,6 +2,7 @@\n b\n c\n d\n+new\n e\n f\n g\n"},
        {"a deleted line", "a\nb\nc\nd\ne\nf\ng\nh\n", "a\nb\nc\ne\nf\ng\nh\n",
         "@@ -1,7 +1,6 @@\n a\n b\n c\n-d\n e\n f\n g\n"},
        {"CR stays in the line", "x\r\ny\r\n", "x\r\nz\r\n", "@@ -1,2 +1,2 @@\n x\r\n-y\r\n+z\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnifiedDiff(c.before, c.after, "old", "new"), "--- old\n+++ new\n" + c.expected) << c.name;
    }
    EXPECT_EQ(UnifiedDiff("same\n", "same\n", "old", "new"), "");
}

// Applies a unified diff to text, checking every context and deleted line on the way; fails
// the test on a line that does not fit.
std::string Patch(std::string_view text, const std::string& diff) {
    const std::vector<std::string_view> old = SplitDiffLines(text);
    std::vector<std::string_view> lines = SplitDiffLines(diff);
    std::string out;
    std::size_t at = 0;  // old lines used
    std::string pending;  // a line whose end depends on a following "\ No newline" marker
    auto flush = [&](bool newline) {
        if (!pending.empty()) out += newline ? pending : pending.substr(0, pending.size() - 1);
        pending.clear();
    };
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.starts_with("@@ -")) {
            flush(true);
            std::size_t from = std::stoul(std::string(line.substr(4)));
            const std::size_t comma = line.find(',');
            const std::size_t space = line.find(' ', 4);
            const bool empty = comma < space && line.substr(comma, 3) == ",0 ";
            if (!empty && from > 0) --from;
            for (; at < from; ++at) out += old[at];
            continue;
        }
        if (line.starts_with("\\ No newline")) {
            flush(false);
            continue;
        }
        flush(true);
        const std::string_view body = line.substr(1);
        if (line[0] != '+') {
            EXPECT_LT(at, old.size());
            if (at >= old.size()) return out;
            const std::string_view had = old[at];
            EXPECT_TRUE(had == body || std::string(had) + "\n" == body) << "line " << at + 1;
            ++at;
        }
        if (line[0] != '-') pending = std::string(body);
    }
    flush(true);
    for (; at < old.size(); ++at) out += old[at];
    return out;
}

TEST(UnifiedDiff, PatchesTheOldTextIntoTheNewOnRandomTexts) {
    std::mt19937 random(7);
    const auto randomText = [&](std::size_t lines) {
        std::string text;
        for (std::size_t i = 0; i < lines; ++i) {
            text += static_cast<char>('a' + random() % 4);
            if (random() % 3 == 0) text += static_cast<char>('a' + random() % 4);
            if (i + 1 < lines || random() % 4 != 0) text += '\n';
        }
        return text;
    };
    for (int t = 0; t < 2000; ++t) {
        const std::string before = randomText(random() % 30);
        std::string after;
        // Mostly small edits of the old text, sometimes a text of its own.
        if (t % 5 == 0) {
            after = randomText(random() % 30);
        } else {
            for (std::string_view line : SplitDiffLines(before)) {
                const unsigned roll = random() % 10;
                if (roll == 0) continue;
                if (roll == 1) after += "new\n";
                after += roll == 2 ? std::string("changed\n") : std::string(line);
            }
        }
        const std::string diff = UnifiedDiff(before, after, "a", "b");
        if (before == after) {
            EXPECT_EQ(diff, "");
            continue;
        }
        ASSERT_EQ(Patch(before, diff), after) << "before:\n" << before << "after:\n" << after << "diff:\n" << diff;
        // Fed in pieces, the new text lagging behind as a pass's result does, the diff is the same.
        std::string pieces;
        LineDiffStream stream("a", "b", [&pieces](std::string_view hunk) { pieces += hunk; });
        for (std::size_t at = 0, lag = 0; at < before.size() || lag < after.size();) {
            const std::size_t take = 1 + random() % 7;
            if (at < before.size()) stream.AddOld(std::string_view(before).substr(at, take));
            at += take;
            if (at > 5 || at >= before.size()) {
                stream.AddNew(std::string_view(after).substr(std::min(lag, after.size()), take));
                lag += take;
            }
        }
        stream.Finish();
        ASSERT_EQ(pieces, diff);
    }
}

TEST(UnifiedDiff, ALongTextWithManyChangedLinesStaysFast) {
    // Every tenth of 200,000 lines changed: the unique lines anchor the rest.
    std::string before, after;
    for (int i = 0; i < 200000; ++i) {
        const std::string line = "line " + std::to_string(i) + "\n";
        before += line;
        after += i % 10 == 3 ? "LINE " + std::to_string(i) + "\n" : line;
    }
    const std::string diff = UnifiedDiff(before, after, "a", "b");
    EXPECT_EQ(Patch(before, diff), after);
    // Nine unchanged lines apart, each change is a hunk of its own.
    std::size_t hunks = 0;
    for (std::size_t at = diff.find("\n@@ -"); at != std::string::npos; at = diff.find("\n@@ -", at + 1)) ++hunks;
    EXPECT_EQ(hunks, 20000u);
}

}  // namespace
}  // namespace palimp
