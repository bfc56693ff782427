// The editor's command-line splitting on any line: no argument is empty or holds a quote,
// nothing comes from beyond a U+0000, and splitting is stable: the arguments quoted and joined
// again split into the same arguments.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/command_line.h"
#include "fuzz_check.h"

using palimp::SplitCommandLine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Two bytes a unit; small units are likelier, so that blanks, quotes and NULs are common.
    std::u16string line;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        line += data[i + 1] & 0x80 ? unit : static_cast<char16_t>(unit % 128);
    }
    const auto arguments = SplitCommandLine(line);
    const std::u16string_view used(line.data(), std::min(line.size(), line.find(u'\0')));
    std::size_t units = 0;
    std::u16string joined;
    for (const std::u16string& argument : arguments) {
        FUZZ_CHECK(!argument.empty());
        FUZZ_CHECK(argument.find(u'"') == std::u16string::npos);
        FUZZ_CHECK(argument.find(u'\0') == std::u16string::npos);
        // Each argument's units appear in the line in order.
        std::size_t at = units;
        for (char16_t unit : argument) {
            at = used.find(unit, at);
            FUZZ_CHECK(at != std::u16string_view::npos);
            ++at;
        }
        units = at;
        joined += u"\"" + argument + u"\" ";
    }
    FUZZ_CHECK(SplitCommandLine(joined) == arguments);
    // An argument without separators needs no quotes.
    std::u16string bare;
    bool plain = true;
    for (const std::u16string& argument : arguments) {
        for (char16_t unit : argument) plain = plain && unit > 32;
        bare += argument + u" ";
    }
    if (plain) FUZZ_CHECK(SplitCommandLine(bare) == arguments);
    return 0;
}
