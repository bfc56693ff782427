#!/usr/bin/env python3
"""The end-to-end benchmark behind `make bench`: palimp-replace against other replace tools.

Every tool replaces file to file on the same generated corpora and tables in the same run. A
peer's output must equal ours byte for byte before it is timed. Slow tools are estimated from
the previous, smaller size and skipped when the estimate is too long. A second part runs tables
of long phrases over texts of long runs of one letter, where a cost per position that grows
with the phrases would show as quadratic time. scripts/bench builds the programs and calls this
script; it needs only the Python standard library.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

MB = 1_000_000
SIZES_MB = [1, 10, 100]
PAIR_COUNTS = [10, 1_000, 100_000]
KINDS = ["case-sensitive", "case-insensitive", "whole-word"]
PEERS = ["go", "aho-corasick", "perl"]
CALIBRATION_BYTES = 100_000

# The long-phrase part: its "kind" is LONG, its "pairs" the name of a table, with what the
# report says of it and whether peers (which know only case-sensitive tables) can run it.
LONG = "long"
LONG_SIZES_MB = [1, 5, 25]
LONG_TABLES = [
    ("one-phrase", "one phrase of 100,000 'a' and 'b', case-sensitive", True),
    ("shared-prefixes", "1,000 phrases of 1,000-3,000 'a' and a word, case-sensitive", True),
    ("mixed-options", "the same 1,000 phrases, options '', C, W, C,W in turn", False),
    ("whole-word", "the same 1,000 phrases, all W", False),
]
# From one size to the next, the throughput on long phrases may fall by this factor at most.
LINEAR_TOLERANCE = 1.3


def log(message):
    print(message, flush=True)


class Result:
    """One finished run of a program."""

    def __init__(self, seconds, peak_kb, exit_code, stderr, timed_out):
        self.seconds = seconds
        self.peak_kb = peak_kb
        self.exit_code = exit_code
        self.stderr = stderr
        self.timed_out = timed_out


def run(command, timeout=None):
    """Runs command and returns its wall time and peak resident memory (from wait4)."""
    with tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=err)
        fired = threading.Event()

        def kill():
            fired.set()
            process.kill()

        timer = threading.Timer(timeout, kill) if timeout else None
        if timer:
            timer.start()
        _, status, usage = os.wait4(process.pid, 0)
        seconds = time.perf_counter() - start
        if timer:
            timer.cancel()
        process.returncode = os.waitstatus_to_exitcode(status)
        err.seek(0)
        stderr = err.read().decode("utf-8", "replace")
    return Result(seconds, usage.ru_maxrss, process.returncode, stderr, fired.is_set())


def first_difference(path_a, path_b):
    with open(path_a, "rb") as a, open(path_b, "rb") as b:
        offset = 0
        while True:
            block_a, block_b = a.read(1 << 20), b.read(1 << 20)
            if block_a != block_b:
                for i in range(min(len(block_a), len(block_b))):
                    if block_a[i] != block_b[i]:
                        return offset + i
                return offset + min(len(block_a), len(block_b))
            if not block_a:
                return None
            offset += len(block_a)


def format_table(header, widths, rows, left):
    """Rows of cells under a header, the first left columns flush left, the others right."""
    def line(cells):
        return "  ".join(c.ljust(w) if i < left else c.rjust(w)
                         for i, (c, w) in enumerate(zip(cells, widths)))
    lines = [line(header)]
    lines.append("-" * len(lines[0]))
    lines += [line(row) for row in rows]
    return "\n".join(lines)


def pairs_label(pairs):
    """A table's size ("1,000 pairs") or, for the long-phrase tables, its name."""
    return "%s pairs" % format(pairs, ",") if isinstance(pairs, int) else pairs


def utf16_units(path):
    with open(path, "rb") as f:
        return len(f.read().decode("utf-8", "surrogatepass").encode("utf-16-le")) // 2


class Bench:
    def __init__(self, args):
        self.args = args
        self.work = args.work
        self.data = os.path.join(self.work, "data")
        self.out = os.path.join(self.work, "out")
        os.makedirs(self.data, exist_ok=True)
        os.makedirs(self.out, exist_ok=True)
        self.sizes = [s for s in SIZES_MB if s <= args.max_mb]
        self.long_sizes = [s for s in LONG_SIZES_MB if s <= args.max_mb]
        self.notes = []
        self.mismatches = []
        self.speed = {}        # (tool, size, pairs, kind) -> MB/s
        self.cells = {}        # (tool, size, pairs, kind) -> text shown instead of a speed
        self.build = {}        # (size, pairs, kind) -> seconds
        self.peak = {}         # (size, pairs, kind) -> kB
        self.costs = {}        # (tool, pairs) -> {text bytes: seconds}, any mode
        self.memory_checks = []

    # --- data -------------------------------------------------------------------------------

    def text_path(self, size_bytes, kind=None):
        corpus = "long-text" if kind == LONG else "text"
        return os.path.join(self.data, "%s-%d.txt" % (corpus, size_bytes))

    def table_path(self, pairs, kind, ext):
        return os.path.join(self.data, "table-%s-%s.%s" % (pairs, kind, ext))

    def generate(self):
        generator = self.args.corpus_tool
        stamp = os.path.getmtime(generator)

        def stale(path):
            return not os.path.exists(path) or os.path.getmtime(path) < stamp

        texts = [(size, None) for size in [CALIBRATION_BYTES] + [s * MB for s in self.sizes]]
        if self.long_sizes:
            texts += [(size, LONG) for size in [CALIBRATION_BYTES] + [s * MB for s in self.long_sizes]]
        for size, kind in texts:
            path = self.text_path(size, kind)
            if stale(path):
                log("generating %s" % os.path.relpath(path))
                what = "long-text" if kind == LONG else "text"
                subprocess.run([generator, what, str(size), path], check=True)
        for name, _, peers in LONG_TABLES:
            path = self.table_path(name, LONG, "palimp")
            if stale(path):
                command = [generator, "long-table", name, path]
                if peers:
                    command.append(self.table_path(name, LONG, "tsv"))
                subprocess.run(command, check=True)
        for pairs in PAIR_COUNTS:
            for kind in KINDS:
                path = self.table_path(pairs, kind, "palimp")
                if stale(path):
                    command = [generator, "table", str(pairs), kind, path]
                    if kind == "case-sensitive":
                        command.append(self.table_path(pairs, kind, "tsv"))
                    subprocess.run(command, check=True)

    # --- tools ------------------------------------------------------------------------------

    def command(self, tool, pairs, kind, source, target, stats=False):
        palimp = self.table_path(pairs, kind, "palimp")
        tsv = self.table_path(pairs, kind, "tsv")
        if tool == "ours":
            command = [self.args.cli, "-t", palimp, "--encoding", "utf8", "-o", target, source]
            return command + ["--stats"] if stats else command
        if tool == "naive":
            return [self.args.naive, palimp, source, target]
        if tool == "go":
            return [self.args.go_peer, tsv, source, target]
        if tool == "aho-corasick":
            return [self.args.rust_peer, tsv, source, target]
        if tool == "perl":
            return ["perl", self.args.perl_peer, tsv, source, target]
        raise ValueError(tool)

    def output_path(self, tool, size, pairs, kind):
        return os.path.join(self.out, "%s-%dMB-%s-%s.txt" % (tool, size, pairs, kind))

    def record(self, tool, pairs, size_bytes, seconds):
        self.costs.setdefault((tool, pairs), {})[size_bytes] = seconds

    def estimate(self, tool, pairs, kind, size_bytes):
        """Seconds a tool should take on size_bytes, from its runs on smaller texts: a line
        through the two largest (fixed cost plus cost per byte), or proportional to the one
        there is. Tools known to be slow are first tried on a small text; with long phrases,
        Go's replacer is one of them."""
        costs = self.costs.get((tool, pairs), {})
        slow = ("naive", "perl", "go") if kind == LONG else ("naive", "perl")
        if not costs and tool in slow:
            source = self.text_path(CALIBRATION_BYTES, kind)
            target = os.path.join(self.out, "calibration.txt")
            limit = self.args.max_seconds / 5
            result = run(self.command(tool, pairs, kind, source, target), timeout=limit)
            self.record(tool, pairs, CALIBRATION_BYTES,
                        limit * 10 if result.timed_out else result.seconds)
            costs = self.costs[(tool, pairs)]
        if not costs:
            return 0.0
        points = sorted(costs.items())
        last_bytes, last_seconds = points[-1]
        if len(points) == 1:
            return last_seconds * size_bytes / last_bytes
        prev_bytes, prev_seconds = points[-2]
        slope = max(0.0, (last_seconds - prev_seconds) / (last_bytes - prev_bytes))
        return max(last_seconds, last_seconds + slope * (size_bytes - last_bytes))

    def repetitions(self, seconds):
        """Extra runs after the first: many for short runs, whose times scatter most on a
        busy machine, and at least one more for all but the longest."""
        if seconds < 0.5:
            return 6
        if seconds < 3:
            return 3
        if seconds < 15:
            return 1
        return 0

    def timed(self, tool, size, pairs, kind, first):
        """The best of first and a few more runs (fewer for long runs), as MB/s."""
        samples = [first]
        source = self.text_path(size * MB, kind)
        target = self.output_path(tool, size, pairs, kind)
        for _ in range(self.repetitions(first.seconds)):
            samples.append(run(self.command(tool, pairs, kind, source, target)))
        best = min(s.seconds for s in samples)
        self.record(tool, pairs, size * MB, best)
        return size * MB / best / MB, max(s.peak_kb for s in samples)

    # --- one combination --------------------------------------------------------------------

    def run_ours(self, size, pairs, kind):
        """Times palimp-replace and returns its output file. Long-phrase runs are estimated and
        stopped like a peer's (None then): a quadratic engine would not finish."""
        source = self.text_path(size * MB, kind)
        target = self.output_path("ours", size, pairs, kind)
        timeout = None
        if kind == LONG:
            guess = self.estimate("ours", pairs, kind, size * MB)
            label = "ours, %d MB x %s" % (size, pairs)
            if guess > self.args.max_seconds:
                self.cells[("ours", size, pairs, kind)] = "skip"
                self.notes.append("%s: skipped (est. %d s)" % (label, guess))
                log("  ours %-16s skipped (est. %d s)" % (pairs, guess))
                return None
            timeout = max(self.args.max_seconds, 3 * guess)
        first = run(self.command("ours", pairs, kind, source, target, stats=True), timeout=timeout)
        if first.timed_out:
            self.cells[("ours", size, pairs, kind)] = "stop"
            self.notes.append("%s: stopped after %d s" % (label, first.seconds))
            self.record("ours", pairs, size * MB, first.seconds * 10)
            log("  ours %-16s stopped after %d s" % (pairs, first.seconds))
            return None
        if first.exit_code != 0:
            raise SystemExit("palimp-replace failed on %s: %s" % (source, first.stderr))
        match = re.search(r"Build: ([0-9.]+)s", first.stderr)
        self.build[(size, pairs, kind)] = float(match.group(1)) if match else float("nan")
        speed, peak = self.timed("ours", size, pairs, kind, first)
        self.speed[("ours", size, pairs, kind)] = speed
        self.peak[(size, pairs, kind)] = peak
        log("  ours %-16s %8.1f MB/s  build %.3f s  peak %d MB" %
            (pairs if kind == LONG else kind, speed, self.build[(size, pairs, kind)], peak // 1024))
        return target

    def run_other(self, tool, size, pairs, kind, reference):
        """Runs a peer (or the literal loop), checks its output against ours, then times it."""
        key = (tool, size, pairs, kind)
        label = "%s, %d MB x %s, %s" % (tool, size, pairs_label(pairs), kind)
        guess = self.estimate(tool, pairs, kind, size * MB)
        if guess > self.args.max_seconds:
            self.cells[key] = "skip"
            self.notes.append("%s: skipped (est. %d s)" % (label, guess))
            log("  %-21s skipped (est. %d s)" % (tool, guess))
            return
        source = self.text_path(size * MB, kind)
        target = self.output_path(tool, size, pairs, kind)
        if os.path.exists(target):
            os.remove(target)
        first = run(self.command(tool, pairs, kind, source, target),
                    timeout=max(self.args.max_seconds, 3 * guess))
        if first.timed_out:
            self.cells[key] = "skip"
            self.notes.append("%s: skipped (stopped after %d s)" % (label, first.seconds))
            self.record(tool, pairs, size * MB, first.seconds * 10)
            return
        if first.exit_code != 0:
            self.cells[key] = "FAIL"
            self.mismatches.append("%s: exit %d: %s" % (label, first.exit_code, first.stderr.strip()))
            return
        if "left out" in first.stderr:
            note = "%s, %s: %s (they can never win, so the result is the same)" % (
                tool, pairs_label(pairs), first.stderr.strip().replace("ac-replace: ", ""))
            if note not in self.notes:
                self.notes.append(note)
        difference = first_difference(reference, target)
        if difference is not None:
            self.cells[key] = "DIFF"
            message = "%s: OUTPUT DIFFERS from palimp-replace at byte %d" % (label, difference)
            self.mismatches.append(message)
            log("  !!! " + message)
            return
        speed, _ = self.timed(tool, size, pairs, kind, first)
        self.speed[key] = speed
        log("  %-21s %8.1f MB/s  (output identical)" % (tool, speed))

    def run_combination(self, size, pairs):
        log("%d MB x %s pairs" % (size, format(pairs, ",")))
        for kind in KINDS:
            reference = self.run_ours(size, pairs, kind)
            # The literal loop checks our engine in every mode; peers know no case folding or
            # whole words, so they only meet the case-sensitive tables.
            self.run_other("naive", size, pairs, kind, reference)
            if kind == "case-sensitive":
                for peer in PEERS:
                    self.run_other(peer, size, pairs, kind, reference)
        if size == 100 and pairs == 100_000:
            self.check_memory(size, pairs)

    def run_long(self, name, peers):
        for size in self.long_sizes:
            log("%d MB of long runs x %s" % (size, name))
            reference = self.run_ours(size, name, LONG)
            if reference is None:
                continue
            for tool in ["naive"] + (PEERS if peers else []):
                self.run_other(tool, size, name, LONG, reference)

    def check_memory(self, size, pairs):
        kind = "case-sensitive"
        source = self.text_path(size * MB)
        output = self.output_path("ours", size, pairs, kind)
        text_bytes = 2 * utf16_units(source)
        output_bytes = 2 * utf16_units(output)
        limit = 4 * text_bytes + output_bytes
        peak = self.peak[(size, pairs, kind)] * 1024
        self.memory_checks.append((size, pairs, peak, text_bytes, output_bytes, limit))

    # --- report -----------------------------------------------------------------------------

    def cell(self, tool, size, pairs, kind):
        key = (tool, size, pairs, kind)
        if key in self.speed:
            return "%.1f" % self.speed[key]
        return self.cells.get(key, "-")

    def best_peer(self, size, pairs):
        speeds = [(self.speed[(p, size, pairs, "case-sensitive")], p) for p in PEERS
                  if (p, size, pairs, "case-sensitive") in self.speed]
        return max(speeds) if speeds else None

    def table(self):
        header = ("size", "pairs", "mode", "ours", "naive", "go", "aho-cor.", "perl",
                  "ours/best", "build s", "peak MB")
        widths = (7, 8, 17, 8, 8, 8, 9, 8, 14, 8, 8)
        rows = []
        for size in self.sizes:
            for pairs in PAIR_COUNTS:
                for kind in KINDS:
                    ours = self.speed.get(("ours", size, pairs, kind))
                    if kind == "case-sensitive":
                        best = self.best_peer(size, pairs)
                        ratio = "%.2fx %s" % (ours / best[0], best[1][:5]) if best else "-"
                    else:
                        cs = self.speed[("ours", size, pairs, "case-sensitive")]
                        ratio = "cs/this %.2f" % (cs / ours)
                    rows.append(("%d MB" % size, format(pairs, ","), kind,
                                 self.cell("ours", size, pairs, kind),
                                 self.cell("naive", size, pairs, kind),
                                 self.cell("go", size, pairs, kind),
                                 self.cell("aho-corasick", size, pairs, kind),
                                 self.cell("perl", size, pairs, kind), ratio,
                                 "%.3f" % self.build[(size, pairs, kind)],
                                 "%d" % (self.peak[(size, pairs, kind)] // 1024)))
        return format_table(header, widths, rows, 3)

    def long_table(self):
        header = ("table", "size", "ours", "naive", "go", "aho-cor.", "perl", "build s", "peak MB")
        widths = (16, 6, 8, 8, 8, 9, 8, 8, 8)
        rows = []
        for name, _, _ in LONG_TABLES:
            for size in self.long_sizes:
                key = (size, name, LONG)
                rows.append((name, "%d MB" % size) +
                            tuple(self.cell(tool, size, name, LONG) for tool in ["ours", "naive"] + PEERS) +
                            ("%.3f" % self.build[key] if key in self.build else "-",
                             "%d" % (self.peak[key] // 1024) if key in self.peak else "-"))
        return format_table(header, widths, rows, 2)

    def long_targets(self):
        """Linear time: from each size to the next, the throughput may fall by at most
        LINEAR_TOLERANCE, which a cost per position that grows with the phrases (time growing
        with the square of the size on these texts) would exceed."""
        checks = []
        for name, _, _ in LONG_TABLES:
            speeds = [(size, self.speed.get(("ours", size, name, LONG))) for size in self.long_sizes]
            shown = ", ".join("%d MB %s" % (size, "%.1f MB/s" % speed if speed else "not run")
                              for size, speed in speeds)
            ok = len(speeds) >= 2 and all(speed for _, speed in speeds) and all(
                later * LINEAR_TOLERANCE >= earlier
                for (_, earlier), (_, later) in zip(speeds, speeds[1:]))
            checks.append(("ok  " if ok else "MISS") + "  long phrases, %s: linear time (%s)" %
                          (name, shown))
        return checks

    def targets(self):
        """The goals of the engine, judged on the largest text."""
        size = max(self.sizes)
        checks = []

        def check(ok, text):
            checks.append(("ok  " if ok else "MISS") + "  " + text)

        for pairs in PAIR_COUNTS:
            ours = self.speed[("ours", size, pairs, "case-sensitive")]
            label = "%d MB x %s pairs" % (size, format(pairs, ","))
            ac = self.speed.get(("aho-corasick", size, pairs, "case-sensitive"))
            best = self.best_peer(size, pairs)
            if ac:
                check(ours > ac, "%s: ours %.1f MB/s vs aho-corasick %.1f MB/s" % (label, ours, ac))
            if best:
                check(ours > best[0], "%s: ours %.1f MB/s vs fastest peer (%s) %.1f MB/s" %
                      (label, ours, best[1], best[0]))
            if pairs == 10:
                check(ours >= 200, "%s: ours %.1f MB/s >= 200 MB/s" % (label, ours))
            if pairs == 100_000:
                build = self.build[(size, pairs, "case-sensitive")]
                check(build <= 0.1, "%s: table build %.3f s <= 0.1 s" % (label, build))
            for kind in KINDS[1:]:
                other = self.speed[("ours", size, pairs, kind)]
                check(ours / other <= 1.5, "%s: %s %.1f MB/s within 1.5x of case-sensitive %.1f MB/s"
                      % (label, kind, other, ours))
        for size_mb, pairs, peak, text_bytes, output_bytes, limit in self.memory_checks:
            check(peak <= limit, "%d MB x %s pairs: peak %d MB <= 4 x UTF-16 text (%d MB) + "
                  "output (%d MB) = %d MB" % (size_mb, format(pairs, ","), peak // MB,
                                              text_bytes // MB, output_bytes // MB, limit // MB))
        return checks

    def main(self):
        started = time.perf_counter()
        load_before = os.getloadavg()[0]
        self.generate()
        for size in self.sizes:
            for pairs in PAIR_COUNTS:
                self.run_combination(size, pairs)
        for name, _, peers in LONG_TABLES if self.long_sizes else []:
            self.run_long(name, peers)
        log("")
        log("Throughput in MB/s (1 MB = 10^6 bytes of UTF-8 input), file to file, best of "
            "several runs; ours = palimp-replace --encoding utf8, naive = the literal loop.")
        log("ours/best: our speed over the fastest peer's; cs/this: our case-sensitive speed "
            "over this mode's. build: our table build; peak: our peak resident memory.")
        log("Peers: go = strings.NewReplacer; aho-corasick = the Rust crate %s, leftmost-first, "
            "given the table without rows that can never match (rows whose phrase starts with an "
            "earlier row's phrase; same result, avoids the crate's pattern misnumbering); perl = "
            "s/()(ordered alternation)/.../g, the empty group avoiding Perl's skipped leftmost "
            "match. Peers only meet case-sensitive tables." % self.args.aho_corasick_version)
        log(self.table())
        log("")
        for line in self.targets():
            log(line)
        if self.long_sizes:
            log("")
            log("Long phrases: MB/s over text of runs of 'a' up to 200,000 long, each ended by "
                "'b', a word or a table phrase's tail word:")
            for name, description, _ in LONG_TABLES:
                log("  %-16s %s" % (name, description))
            log(self.long_table())
            log("")
            for line in self.long_targets():
                log(line)
        if self.notes:
            log("")
            log("Notes:")
            for note in self.notes:
                log("  " + note)
        if self.mismatches:
            log("")
            log("!!! MISMATCHES: these tools did not produce palimp-replace's output !!!")
            for line in self.mismatches:
                log("  " + line)
            log("  (the outputs are kept in %s)" % self.out)
        else:
            shutil.rmtree(self.out, ignore_errors=True)
        log("")
        log("end-to-end comparison took %.0f s; load average %.1f before, %.1f after, on %d "
            "CPUs (times on a busy machine scatter; ratios of the same run are what count)"
            % (time.perf_counter() - started, load_before, os.getloadavg()[0], os.cpu_count()))
        return 1 if self.mismatches else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--work", required=True, help="folder for data and outputs")
    parser.add_argument("--cli", required=True)
    parser.add_argument("--naive", required=True)
    parser.add_argument("--corpus-tool", required=True)
    parser.add_argument("--go-peer", required=True)
    parser.add_argument("--rust-peer", required=True)
    parser.add_argument("--perl-peer", required=True)
    parser.add_argument("--aho-corasick-version", default="")
    parser.add_argument("--max-mb", type=int, default=100, help="largest text size in MB")
    parser.add_argument("--max-seconds", type=float, default=40,
                        help="skip a slow tool whose run is estimated to take longer")
    return Bench(parser.parse_args()).main()


if __name__ == "__main__":
    sys.exit(main())
