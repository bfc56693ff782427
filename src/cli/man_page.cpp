// Help text to roff. The help's layout is fixed: options start with two blanks and a dash,
// their descriptions begin at column 24 and go on in lines indented as far, examples are
// indented by four, paragraphs are separated by empty lines.
#include "cli/man_page.h"

#include <vector>

namespace palimp::cli {

namespace {

constexpr std::size_t kDescriptionColumn = 24;

// Text as roff shows it: backslashes and minus signs escaped, no line taken for a request.
std::string Escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    return line;
}

// A paragraph's section: "Exit status: ..." goes under EXIT STATUS, the rest under NOTES.
std::string SectionOf(std::string_view first) {
    if (first.starts_with("Exit status:")) return "EXIT STATUS";
    if (first.starts_with("The table file")) return "TABLE FILES";
    return {};
}

}  // namespace

std::string ManPageFromHelp(std::string_view help, std::string_view version) {
    const std::vector<std::string_view> lines = Lines(help);
    std::string page = ".TH PALIMP-REPLACE 1 \"\" \"palimp-replace " + std::string(version) +
                       "\" \"User Commands\"\n.nh\n.ad l\n.SH NAME\npalimp\\-replace \\- replace many text phrases "
                       "at once\n.SH SYNOPSIS\n";
    std::size_t i = 0;
    for (; i < lines.size() && (lines[i].starts_with("Usage: ") || lines[i].starts_with("   or: ")); ++i) {
        page += ".br\n" + Escaped(lines[i].substr(7)) + "\n";
    }
    page += ".SH DESCRIPTION\n";
    for (; i < lines.size() && !lines[i].empty(); ++i) page += Escaped(lines[i]) + "\n";
    std::string section = "DESCRIPTION";
    bool inExample = false;
    for (; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty()) {
            if (inExample) {
                page += ".RE\n.fi\n";
                inExample = false;
            }
            const std::string next = i + 1 < lines.size() ? SectionOf(lines[i + 1]) : std::string();
            if (!next.empty() && next != section) {
                section = next;
                page += ".SH " + section + "\n";
            } else {
                page += ".PP\n";
            }
            continue;
        }
        if (line.starts_with("  -") || line.starts_with("      --")) {
            if (section != "OPTIONS") {
                section = "OPTIONS";
                page += ".SH OPTIONS\n";
            }
            const bool apart = line.size() <= kDescriptionColumn || line[kDescriptionColumn - 1] != ' ' ||
                               line[kDescriptionColumn - 2] != ' ';
            const std::string_view flags = Trimmed(apart ? line : line.substr(0, kDescriptionColumn));
            page += ".TP\n.B " + Escaped(flags) + "\n";
            if (!apart) page += Escaped(Trimmed(line.substr(kDescriptionColumn))) + "\n";
            continue;
        }
        if (line.starts_with(std::string(kDescriptionColumn, ' '))) {
            page += Escaped(Trimmed(line)) + "\n";
            continue;
        }
        if (line.starts_with("    ")) {
            if (!inExample) {
                page += ".PP\n.nf\n.RS 4\n";
                inExample = true;
            }
            page += Escaped(line.substr(4)) + "\n";
            continue;
        }
        if (inExample) {
            page += ".RE\n.fi\n";
            inExample = false;
        }
        page += Escaped(line) + "\n";
    }
    if (inExample) page += ".RE\n.fi\n";
    page += ".SH SEE ALSO\n.BR sed (1),\n.BR diff (1),\n.BR find (1)\n";
    return page;
}

}  // namespace palimp::cli
