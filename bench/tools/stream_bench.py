#!/usr/bin/env python3
"""palimp-replace as a filter on inputs larger than memory should hold, for `make bench`.

1 GiB goes through a pipe into standard input and comes out of standard output into a pipe;
the output is checked byte for byte while it streams (the input is one text repeated, each copy
ending in a line break, so the output is that text's own result repeated), and the peak
resident memory is the tool's own: its VmHWM, read from /proc while it runs (wait4's figure
counts this script's memory too, which a forked child starts with). Then inputs the tool cannot hold: an endless
one (/dev/zero) and a file too large, which must fail with a clear message and bounded memory.
Needs only the Python standard library.

    stream_bench.py --cli PALIMP_REPLACE --corpus-tool CORPUS_TOOL --work DIR [--gib N]
"""

import argparse
import os
import subprocess
import sys
import tempfile
import threading
import time

GIB = 1 << 30
MB = 1_000_000
UNIT_BYTES = 8 * MB  # the repeated text
PAIRS = 1_000


def log(message):
    print(message, flush=True)


def high_water_kb(pid):
    """The process's peak resident memory so far, in kB, or 0 once it is gone."""
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def run_filter(command, feed, check, stdin=subprocess.PIPE):
    """Runs command with feed() writing its standard input (unless stdin is given) and
    check(piece) reading its standard output; returns seconds, peak kB, whether the peak is
    the tool's own as seen while it ran (else it is wait4's, which is larger: it includes what
    this script held when it started the tool), exit code, stderr."""
    with tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        process = subprocess.Popen(command, stdin=stdin, stdout=subprocess.PIPE, stderr=err)
        writer = None
        if stdin == subprocess.PIPE:
            def write_all():
                try:
                    feed(process.stdin)
                except BrokenPipeError:
                    pass
                finally:
                    try:
                        process.stdin.close()
                    except BrokenPipeError:
                        pass
            writer = threading.Thread(target=write_all)
            writer.start()
        peak = 0
        while True:
            piece = process.stdout.read1(1 << 20)
            if not piece:
                break
            check(piece)
            peak = max(peak, high_water_kb(process.pid))
        peak = max(peak, high_water_kb(process.pid))
        if writer:
            writer.join()
        _, status, usage = os.wait4(process.pid, 0)
        seconds = time.perf_counter() - start
        err.seek(0)
        # The last line: the table's warnings come first.
        stderr = err.read().decode("utf-8", "replace").strip().split("\n")[-1]
    return seconds, peak or usage.ru_maxrss, peak > 0, os.waitstatus_to_exitcode(status), stderr


class Expected:
    """Compares streamed output with one text's result repeated."""

    def __init__(self, unit):
        self.unit = unit
        self.at = 0        # offset in unit of the next byte
        self.total = 0
        self.mismatch = None

    def __call__(self, piece):
        view = memoryview(piece)
        while view and self.mismatch is None:
            take = min(len(view), len(self.unit) - self.at)
            if view[:take] != self.unit[self.at:self.at + take]:
                self.mismatch = self.total
            self.total += take
            self.at = (self.at + take) % len(self.unit)
            view = view[take:]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--corpus-tool", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--gib", type=float, default=1.0)
    args = parser.parse_args()
    data = os.path.join(args.work, "stream")
    os.makedirs(data, exist_ok=True)

    text_path = os.path.join(data, "unit.txt")
    table = os.path.join(data, "table-%d.palimp" % PAIRS)
    subprocess.run([args.corpus_tool, "text", str(UNIT_BYTES), text_path], check=True)
    subprocess.run([args.corpus_tool, "table", str(PAIRS), "case-sensitive", table], check=True)
    with open(text_path, "rb") as f:
        unit = f.read().rstrip(b"\n") + b"\n"
    with open(text_path, "wb") as f:
        f.write(unit)
    result_path = os.path.join(data, "unit.out")
    subprocess.run([args.cli, "-t", table, "-o", result_path, text_path], check=True)
    with open(result_path, "rb") as f:
        unit_result = f.read()

    total = int(args.gib * GIB)
    copies = -(-total // len(unit))

    def feed(pipe):
        for _ in range(copies):
            pipe.write(unit)

    expected = Expected(unit_result)
    seconds, peak_kb, _, code, stderr = run_filter([args.cli, "-t", table], feed, expected)
    sent = copies * len(unit)
    ok = code == 0 and expected.mismatch is None and expected.total == copies * len(unit_result)
    log("%.2f GiB (%d copies of an %d MB text, %s pairs) standard input -> standard output:"
        % (sent / GIB, copies, UNIT_BYTES // MB, format(PAIRS, ",")))
    log("  %.1f s, %.0f MB/s, peak resident memory %.1f MB, output %s (%d bytes)%s"
        % (seconds, sent / MB / seconds, peak_kb / 1024,
           "identical to the text's result repeated" if ok else "WRONG", expected.total,
           "" if code == 0 else "; exit %d: %s" % (code, stderr)))

    failures = 0 if ok else 1
    sink = lambda piece: None
    cases = [("endless standard input (/dev/zero)", [args.cli, "-t", table], open("/dev/zero", "rb")),
             ("endless file (/dev/zero)", [args.cli, "-t", table, "/dev/zero"], subprocess.DEVNULL)]
    big = os.path.join(data, "too-large.txt")
    with open(big, "wb") as f:
        f.truncate(8 * GIB)  # sparse: nothing on disk
    cases.append(("an 8 GiB file, -o", [args.cli, "-t", table, "-o", os.path.join(data, "none.out"), big],
                  subprocess.DEVNULL))
    for name, command, stdin in cases:
        seconds, peak_kb, seen, code, stderr = run_filter(command, None, sink, stdin=stdin)
        good = code == 1 and "too large" in stderr and peak_kb < 64 * 1024
        failures += 0 if good else 1
        log("%s: exit %d after %.1f s, peak %s%.1f MB%s: %s"
            % (name, code, seconds, "" if seen else "at most ", peak_kb / 1024,
               "" if good else " (UNEXPECTED)", stderr))
        if stdin not in (subprocess.DEVNULL, subprocess.PIPE):
            stdin.close()
    os.remove(big)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
