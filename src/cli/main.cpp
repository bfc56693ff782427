// The palimp-replace program: connects the command line's logic to the real process.
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/console.h"
#include "cli/transcode.h"
#include "core/errors.h"
#include "os/input_file.h"
#include "os/standard_streams.h"
#include "os/termination.h"

namespace {

int Main(const std::vector<std::string>& args) {
    using namespace palimp::cli;
    PrepareBinaryStdio();
    Environment environment;
    // Told to stop while -i or -o writes, the unfinished new files go and the old ones stay.
    palimp::os::RemoveUnfinishedFilesOnTermination();
    environment.openStdin = [] { return SourceOf(palimp::os::InputFile::StandardInput()); };
    environment.writeStdout = WriteStandardOutput;
    environment.writeStderr = WriteStandardError;
    environment.standardStreamOf = palimp::os::StandardStreamNamed;
    environment.writeStderrChecked = WriteStandardError;
    environment.defaultCodePage = DefaultCodePage();
    environment.codePages = CodePageNumbered;
    try {
        return RunReplaceCli(args, environment);
    } catch (const std::bad_alloc&) {
        WriteStandardError("palimp-replace: out of memory\n");
    } catch (const std::exception& failure) {
        WriteStandardError(std::string("palimp-replace: ") + failure.what() + "\n");
    }
    return kExitFailure;
}

}  // namespace

#ifdef _WIN32
// Arguments as UTF-16 from the system, so that any file name reaches us intact.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const auto* arg = reinterpret_cast<const char16_t*>(argv[i]);
        args.push_back(palimp::ToUtf8(arg));
    }
    return Main(args);
}
#else
int main(int argc, char** argv) { return Main(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
