// --diff: the text of a pass as it goes by, shown as a unified diff in UTF-8, hunk by hunk,
// so that a diff of a large file holds no more than its largest change.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "cli/transcode.h"
#include "core/line_diff.h"
#include "core/text_codec.h"

namespace palimp::cli {

class DiffTap final : public TextTap {
public:
    // label names both sides; hunks go to sink as they are complete.
    DiffTap(std::string_view label, std::function<void(std::string_view)> sink);
    void Read(std::u16string_view text) override;
    void Written(std::u16string_view text) override;
    // The pass is over and good: the last hunk goes out.
    void Finish();
    bool Wrote() const { return diff_.Wrote(); }

private:
    // UTF-16 to UTF-8 a piece at a time; a surrogate pair cut by a piece waits for its other half.
    static std::string_view Encode(TextEncoder& encoder, std::string& bytes, std::u16string_view text);

    LineDiffStream diff_;
    TextEncoder oldEncoder_, newEncoder_;
    std::string bytes_;
};

}  // namespace palimp::cli
