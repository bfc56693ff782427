#!/usr/bin/env python3
"""palimp-replace --diff against diff -u on the same change, for `make bench`.

A generated text (100 MB by default) and a table of 1,000 case-sensitive pairs: palimp-replace
writes the result with -o, then `diff -u TEXT RESULT` and `palimp-replace --diff TEXT` show
the same change; both outputs go to files, are counted in lines, and the two tools' times and
peak resident memory (wait4's, of the tool alone) are printed with their ratio. Needs only the
Python standard library and GNU diff.

    diff_bench.py --cli PALIMP_REPLACE --corpus-tool CORPUS_TOOL --work DIR [--mb N]
"""

import argparse
import os
import subprocess
import sys
import time

MB = 1_000_000
PAIRS = 1_000


def timed(command, out_path):
    """Seconds, peak kB and exit code of command with its standard output in out_path."""
    with open(out_path, "wb") as out:
        start = time.perf_counter()
        process = subprocess.Popen(command, stdout=out, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(process.pid, 0)
        seconds = time.perf_counter() - start
    return seconds, usage.ru_maxrss, os.waitstatus_to_exitcode(status)


def line_count(path):
    with open(path, "rb") as f:
        return sum(piece.count(b"\n") for piece in iter(lambda: f.read(1 << 20), b""))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--corpus-tool", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--mb", type=int, default=100)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    text = os.path.join(args.work, "diff-%dmb.txt" % args.mb)
    table = os.path.join(args.work, "diff-table.palimp")
    result = os.path.join(args.work, "diff-result.txt")
    if not os.path.exists(text):
        subprocess.run([args.corpus_tool, "text", str(args.mb * MB), text], check=True)
    subprocess.run([args.corpus_tool, "table", str(PAIRS), "case-sensitive", table], check=True)
    subprocess.run([args.cli, "-q", "-t", table, "-o", result, text], check=True)

    peer_out = os.path.join(args.work, "diff-u.out")
    ours_out = os.path.join(args.work, "diff-palimp.out")
    peer = timed(["diff", "-u", text, result], peer_out)
    ours = timed([args.cli, "-q", "-t", table, "--diff", text], ours_out)
    if peer[2] not in (0, 1) or ours[2] != 0:
        print("diff bench: a tool failed (diff %d, palimp-replace %d)" % (peer[2], ours[2]), file=sys.stderr)
        return 1
    print("diff of %d MB, %d pairs (case-sensitive):" % (args.mb, PAIRS))
    print("  %-28s %8s %10s %12s" % ("tool", "seconds", "peak MB", "diff lines"))
    for name, (seconds, kb, _), out in (("diff -u", peer, peer_out), ("palimp-replace --diff", ours, ours_out)):
        print("  %-28s %8.2f %10.1f %12d" % (name, seconds, kb / 1024, line_count(out)))
    print("  palimp-replace / diff -u: %.2fx the time, %.2fx the memory" % (ours[0] / peer[0], ours[1] / peer[1]))
    for path in (peer_out, ours_out, result):
        os.remove(path)
    return 0 if ours[0] <= 2 * peer[0] else 1


if __name__ == "__main__":
    sys.exit(main())
