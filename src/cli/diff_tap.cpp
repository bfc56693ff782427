// The diff of a pass's text, a piece at a time.
#include "cli/diff_tap.h"

#include <utility>

namespace palimp::cli {

DiffTap::DiffTap(std::string_view label, std::function<void(std::string_view)> sink)
    : diff_(label, label, std::move(sink)),
      oldEncoder_(TextEncoding::kUtf8, DefaultAnsiCodePage()),
      newEncoder_(TextEncoding::kUtf8, DefaultAnsiCodePage()) {}

std::string_view DiffTap::Encode(TextEncoder& encoder, std::string& bytes, std::u16string_view text) {
    bytes.resize(TextEncoder::MaxBytes(text.size()));
    return std::string_view(bytes.data(), encoder.Encode(text, bytes.data()));
}

void DiffTap::Read(std::u16string_view text) { diff_.AddOld(Encode(oldEncoder_, bytes_, text)); }

void DiffTap::Written(std::u16string_view text) { diff_.AddNew(Encode(newEncoder_, bytes_, text)); }

void DiffTap::Finish() {
    bytes_.resize(TextEncoder::MaxBytes(0));
    diff_.AddOld(std::string_view(bytes_.data(), oldEncoder_.Finish(bytes_.data())));
    diff_.AddNew(std::string_view(bytes_.data(), newEncoder_.Finish(bytes_.data())));
    diff_.Finish();
}

}  // namespace palimp::cli
