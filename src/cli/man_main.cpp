// Writes palimp-replace.1 to standard output, made from --help; the build runs it.
#include <cstdio>

#include "cli/arguments.h"
#include "cli/man_page.h"
#include "core/product.h"

int main() {
    const std::string page = palimp::cli::ManPageFromHelp(
        palimp::cli::UsageText("(default: the locale's character set; on Windows the ANSI code page)"),
        PALIMP_FILE_VERSION);
    return std::fwrite(page.data(), 1, page.size(), stdout) == page.size() ? 0 : 1;
}
