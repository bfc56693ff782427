// What a command-line program does when it is told to stop (Ctrl+C, kill, a closed terminal)
// while it writes files: the unfinished new files are removed, the files they were to replace
// stay as they were, and the process ends as the signal says.
#pragma once

namespace palimp::os {

// From here on SIGINT, SIGTERM, SIGHUP and SIGQUIT (on Windows: Ctrl+C, Ctrl+Break and closing
// the console) remove the new files of every FileReplacer not yet committed or abandoned, and
// then end the process by the same signal, so that its caller sees it end by the signal (a
// shell's status 128 + signal: 130 for Ctrl+C); on Windows the exit code is that number. A
// signal the process was started with ignored (nohup, a background job) stays ignored. SIGXFSZ
// is ignored, so that a write beyond the file size limit fails with "File too large" and is
// cleaned up after as any failed write.
void RemoveUnfinishedFilesOnTermination();

}  // namespace palimp::os
