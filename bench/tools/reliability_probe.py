#!/usr/bin/env python3
"""Tries palimp-replace's write paths hard and prints one closing figure:
"N cases tried, D defects, B bytes lost".

Each family is a table of cases with one invariant; a case whose invariant fails is a defect.
Bytes lost are the bytes of an original file, or of lines another writer appended, that are
gone in the end state and not in any backup or file the program named.

Families: metadata (-i, --backup, hard and symbolic links), streams (-o naming the program's
own standard output or error), signals during -i of a large file, full disks (a small tmpfs,
and RLIMIT_FSIZE), concurrent runs and appenders, malformed tables and inputs, and a short
fuzzer against a small reference of the replace-many rule. With --wine the metadata family
also runs against palimp-replace.exe under Wine, checked from the Unix side.

    reliability_probe.py [--program PATH] [--long] [--wine] [--seed N] [--only FAMILY,...]

Python 3 standard library only. Root gives more cases (owners, tmpfs); without root those
cases are skipped. Exit status 0 when no defect was found, 1 otherwise, 2 when the probe
itself could not run.
"""

import argparse
import hashlib
import os
import random
import resource
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DEFAULT_PROGRAM = os.path.join(ROOT, "build", "native", "src", "cli", "palimp-replace")
DEFAULT_EXE = os.path.join(ROOT, "build", "mingw64", "palimp-replace.exe")
IS_ROOT = os.geteuid() == 0
OWNER = (1234, 1235)

# Names the writer gives its unfinished and scratch files; anything else new is a leftover too.
TEMP_MARKERS = (".palimp-", ".tmp", "palimp-scratch")


class Case:
    def __init__(self, family, name):
        self.family, self.name = family, name
        self.problems = []
        self.lost = 0

    def check(self, condition, text):
        if not condition:
            self.problems.append(text)
        return condition

    def lose(self, count, text):
        if count > 0:
            self.lost += count
            self.problems.append(f"{text} ({count} bytes lost)")


class Probe:
    def __init__(self, args):
        self.args = args
        self.rng = random.Random(args.seed)
        self.cases = []
        self.notes = []
        self.work = tempfile.mkdtemp(prefix="palimp-probe-", dir="/tmp")
        self.counter = 0
        self.command = [os.path.abspath(args.program)]
        self.wine_env = None
        self.xattrs = self._xattrs_work()

    # ---- helpers ---------------------------------------------------------------------------

    def fresh_dir(self, label):
        self.counter += 1
        path = os.path.join(self.work, f"{self.counter:04d}-{label}")
        os.makedirs(path)
        return path

    def _xattrs_work(self):
        path = os.path.join(self.work, "xattr-test")
        with open(path, "w"):
            pass
        try:
            os.setxattr(path, "user.probe", b"1")
            return True
        except OSError:
            return False
        finally:
            os.unlink(path)

    def run(self, args, cwd, stdin=None, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
            timeout=120, limits=(), ignore=(), env=None, command=None):
        """Runs the program; returns (status, out, err, seconds). A signal gives -N, a time-out
        None."""
        def setup():
            resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
            for which, value in limits:
                resource.setrlimit(which, (value, value))
            for number in (signal.SIGINT, signal.SIGQUIT, signal.SIGTERM, signal.SIGHUP):
                signal.signal(number, signal.SIG_DFL)
            for number in ignore:
                signal.signal(number, signal.SIG_IGN)
        start = time.monotonic()
        process = subprocess.Popen((command or self.command) + list(args), cwd=cwd,
                                   stdin=stdin if stdin is not None else subprocess.DEVNULL,
                                   stdout=stdout, stderr=stderr, preexec_fn=setup, env=env)
        try:
            out, err = process.communicate(timeout=timeout)
            status = process.returncode
        except subprocess.TimeoutExpired:
            process.kill()
            out, err = process.communicate()
            status = None
        return status, out or b"", err or b"", time.monotonic() - start

    def add(self, case):
        self.cases.append(case)
        if self.args.verbose:
            state = "ok" if not case.problems else "DEFECT: " + "; ".join(case.problems)
            print(f"  {case.family}/{case.name}: {state}", flush=True)
        return case

    @staticmethod
    def table(path, rows, header="probe table"):
        with open(path, "wb") as f:
            f.write((header + "\n##\n" + "".join(f"{a}\t{b}\t{o}\n" for a, b, o in rows)).encode())
        return path

    @staticmethod
    def read(path):
        try:
            with open(path, "rb") as f:
                return f.read()
        except OSError:
            return None

    @staticmethod
    def write(path, data):
        with open(path, "wb") as f:
            f.write(data)

    @staticmethod
    def listing(folder):
        try:
            return set(os.listdir(folder))
        except OSError:
            return set()

    @staticmethod
    def xattr(path, name="user.note"):
        try:
            return os.getxattr(path, name, follow_symlinks=False)
        except OSError:
            return None

    # ---- metadata kept by -i and --backup -------------------------------------------------

    def family_metadata(self, family="metadata", command=None):
        old = b"a cat sat on the mat\n" * 200
        new = old.replace(b"cat", b"dog")
        modes = [0o600, 0o644, 0o664, 0o755, 0o4755, 0o2755]
        for mode in modes:
            for backup in (False, True):
                self.metadata_case(family, command, mode, backup, old, new)
        self.hard_link_cases(family, command, old, new)
        self.symlink_cases(family, command, old, new)
        self.no_hit_case(family, command, old)

    def prepare(self, path, data, mode, owner=True):
        self.write(path, data)
        if IS_ROOT and owner:
            os.chown(path, *OWNER)
        os.chmod(path, mode)  # after chown, which clears set-user-ID
        if self.xattrs:
            os.setxattr(path, "user.note", b"kept")
        past = time.time_ns() - 2 * 86400 * 10**9 + 123456789
        os.utime(path, ns=(past, past))
        return os.stat(path)

    def same_metadata(self, case, path, before, what, time_too=False):
        try:
            after = os.stat(path)
        except OSError as error:
            case.check(False, f"{what}: {error.strerror}")
            return
        case.check(stat.S_IMODE(after.st_mode) == stat.S_IMODE(before.st_mode),
                   f"{what}: mode {stat.S_IMODE(before.st_mode):o} became {stat.S_IMODE(after.st_mode):o}")
        case.check((after.st_uid, after.st_gid) == (before.st_uid, before.st_gid),
                   f"{what}: owner {before.st_uid}:{before.st_gid} became {after.st_uid}:{after.st_gid}")
        if self.xattrs:
            value = self.xattr(path)
            case.check(value == b"kept", f"{what}: user.note is {value!r}")
        if time_too:
            # Windows keeps times in units of 100 ns, so under Wine the last digits go.
            slack = 100 if case.family.startswith("wine") else 1
            case.check(abs(after.st_mtime_ns - before.st_mtime_ns) < slack,
                       f"{what}: mtime {before.st_mtime_ns} became {after.st_mtime_ns}")

    def loss_of_original(self, case, old, places, done=None):
        """Counts the original as lost when no place holds it, unless the run replaced it as
        asked (done: the file holds the result and no backup was asked for)."""
        if done:
            return
        if not any(self.read(p) == old for p in places):
            case.lose(len(old), "the original content is nowhere")

    def metadata_case(self, family, command, mode, backup, old, new):
        case = Case(family, f"-i{' --backup' if backup else ''} mode {mode:04o}")
        folder = self.fresh_dir("meta")
        table = self.table(os.path.join(self.work, "cat.palimp"), [("cat", "dog", "W")])
        target = os.path.join(folder, "f.txt")
        before = self.prepare(target, old, mode)
        args = ["-t", table, "-i"] + (["--backup", ".orig"] if backup else []) + ["f.txt"]
        status, _, err, _ = self.run(args, folder, command=command)
        case.check(status == 0, f"exit {status}: {err.decode(errors='replace').strip()}")
        case.check(self.read(target) == new, "the file does not hold the result")
        self.same_metadata(case, target, before, "file")
        expected = {"f.txt"} | ({"f.txt.orig"} if backup else set())
        left = self.listing(folder) - expected
        case.check(not left, f"left beside: {sorted(left)}")
        places = [target]
        if backup:
            copy = target + ".orig"
            places.append(copy)
            case.check(self.read(copy) == old, "the backup does not hold the old content")
            self.same_metadata(case, copy, before, "backup", time_too=True)
        self.loss_of_original(case, old, places, done=not backup and self.read(target) == new)
        self.add(case)

    def hard_link_cases(self, family, command, old, new):
        table = self.table(os.path.join(self.work, "cat.palimp"), [("cat", "dog", "W")])
        for keep, backup in ((False, False), (True, False), (True, True)):
            label = "hard link" + (" --keep-links" if keep else "") + (" --backup" if backup else "")
            case = Case(family, label)
            folder = self.fresh_dir("link")
            a, b = os.path.join(folder, "a.txt"), os.path.join(folder, "b.txt")
            before = self.prepare(a, old, 0o640)
            os.link(a, b)
            args = ["-t", table, "-i"] + (["--keep-links"] if keep else []) + \
                   (["--backup", ".orig"] if backup else []) + ["a.txt"]
            status, _, err, _ = self.run(args, folder, command=command)
            message = err.decode(errors="replace")
            after = os.stat(a)
            case.check(os.stat(b).st_ino == after.st_ino == before.st_ino and after.st_nlink == 2,
                       "the two names are no longer one file")
            if keep:
                case.check(status == 0, f"exit {status}: {message.strip()}")
                case.check(self.read(a) == new and self.read(b) == new, "the names do not hold the result")
                self.same_metadata(case, a, before, "file")
            else:
                case.check(status == 1, f"exit {status}, expected 1 (refused)")
                case.check("nothing written" in message, f"message: {message.strip()!r}")
                case.check(self.read(a) == old and self.read(b) == old, "refused, yet the file changed")
                self.same_metadata(case, a, before, "file", time_too=True)
            places = [a, b]
            if backup:
                places.append(a + ".orig")
                case.check(self.read(a + ".orig") == old, "the backup does not hold the old content")
                self.same_metadata(case, a + ".orig", before, "backup", time_too=True)
            left = self.listing(folder) - {"a.txt", "b.txt", "a.txt.orig" if backup else ""}
            case.check(not left, f"left beside: {sorted(left)}")
            self.loss_of_original(case, old, places, done=keep and not backup and self.read(a) == new)
            self.add(case)

    def symlink_cases(self, family, command, old, new):
        table = self.table(os.path.join(self.work, "cat.palimp"), [("cat", "dog", "W")])
        for backup in (False, True):
            case = Case(family, "symbolic link" + (" --backup" if backup else ""))
            folder = self.fresh_dir("symlink")
            os.mkdir(os.path.join(folder, "real"))
            real = os.path.join(folder, "real", "f.txt")
            before = self.prepare(real, old, 0o664)
            link = os.path.join(folder, "link.txt")
            os.symlink("real/f.txt", link)
            args = ["-t", table, "-i"] + (["--backup", ".orig"] if backup else []) + ["link.txt"]
            status, _, err, _ = self.run(args, folder, command=command)
            case.check(status == 0, f"exit {status}: {err.decode(errors='replace').strip()}")
            case.check(os.path.islink(link) and os.readlink(link) == "real/f.txt", "the link is no longer the link")
            case.check(self.read(real) == new, "the linked file does not hold the result")
            self.same_metadata(case, real, before, "linked file")
            # The backup is beside the name given (link.txt.orig) or beside the file (f.txt.orig).
            backups = [p for p in (link + ".orig", real + ".orig") if os.path.lexists(p)]
            places = [real] + backups
            if backup:
                if case.check(len(backups) == 1 and self.read(backups[0]) == old,
                              f"backups {backups}: expected one holding the old content"):
                    self.same_metadata(case, backups[0], before, "backup", time_too=True)
            left = (self.listing(folder) - {"real", "link.txt", "link.txt.orig"}) | \
                   (self.listing(os.path.join(folder, "real")) - {"f.txt", "f.txt.orig"})
            if not backup:
                left |= {os.path.basename(p) for p in backups}
            case.check(not left, f"left beside: {sorted(left)}")
            self.loss_of_original(case, old, places, done=not backup and self.read(real) == new)
            self.add(case)

    def no_hit_case(self, family, command, old):
        case = Case(family, "-i --backup without a hit")
        folder = self.fresh_dir("nohit")
        table = self.table(os.path.join(self.work, "none.palimp"), [("zebra", "horse", "W")])
        target = os.path.join(folder, "f.txt")
        before = self.prepare(target, old, 0o644)
        status, _, err, _ = self.run(["-t", table, "-i", "--backup", ".orig", "f.txt"], folder, command=command)
        case.check(status == 0, f"exit {status}: {err.decode(errors='replace').strip()}")
        after = os.stat(target)
        case.check(after.st_ino == before.st_ino and after.st_mtime_ns == before.st_mtime_ns
                   and self.read(target) == old, "a file without a hit was touched")
        self.same_metadata(case, target, before, "file", time_too=True)
        left = self.listing(folder) - {"f.txt"}
        case.check(not left, f"left beside: {sorted(left)}")
        self.loss_of_original(case, old, [target])
        self.add(case)

    # ---- -o naming the program's own standard output or error ------------------------------

    def family_streams(self):
        source = b"one cat, two cats, the cat\n" * 50
        result = source.replace(b"cat,", b"dog,").replace(b"cat\n", b"dog\n")
        table = self.table(os.path.join(self.work, "cat.palimp"), [("cat", "dog", "W")])
        for stream in (1, 2):
            name = "stdout" if stream == 1 else "stderr"
            spellings = [f"/dev/{name}", f"/proc/self/fd/{stream}", f"/dev/fd/{stream}", "@path"]
            for kind in ("append", "regular", "pipe"):
                for spelling in spellings:
                    if kind == "pipe" and spelling == "@path":
                        continue
                    self.stream_case(stream, kind, spelling, source, result, table)

    def stream_case(self, stream, kind, spelling, source, result, table):
        shown = spelling if spelling != "@path" else "the redirected file's name"
        case = Case("streams", f"-o {shown}, {'standard output' if stream == 1 else 'standard error'} "
                               f"{ {'append': 'a file opened for append', 'regular': 'a regular file', 'pipe': 'a pipe'}[kind] }")
        folder = self.fresh_dir("stream")
        self.write(os.path.join(folder, "a.in"), source)
        log = os.path.join(folder, "out.log")
        prior = b"earlier line\n"
        target = log if spelling == "@path" else spelling
        args = ["-q", "-t", table, "-o", target, "a.in"]
        if kind == "pipe":
            pipe = subprocess.PIPE
            streams = {"stdout": pipe, "stderr": subprocess.DEVNULL} if stream == 1 else \
                      {"stdout": subprocess.DEVNULL, "stderr": pipe}
            status, out, err, _ = self.run(args, folder, **streams)
            got = out if stream == 1 else err
            case.check(status == 0, f"exit {status}: {(err if stream == 1 else b'').decode(errors='replace').strip()}")
            case.check(got == result, f"the pipe received {len(got)} bytes, expected the result ({len(result)})")
        else:
            if kind == "append":
                self.write(log, prior)
                fd = os.open(log, os.O_WRONLY | os.O_APPEND)
            else:
                fd = os.open(log, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
                os.write(fd, prior)
            streams = {"stdout": fd, "stderr": subprocess.PIPE} if stream == 1 else \
                      {"stdout": subprocess.DEVNULL, "stderr": fd}
            try:
                status, _, err, _ = self.run(args, folder, **streams)
            finally:
                os.close(fd)
            got = self.read(log) or b""
            case.check(status == 0, f"exit {status}: {err.decode(errors='replace').strip()}")
            case.check(got == prior + result,
                       f"out.log holds {len(got)} bytes, expected the earlier line and the result ({len(prior) + len(result)})")
            if not got.startswith(prior):
                case.lose(len(prior), "the file's earlier content is gone")
        left = self.listing(folder) - {"a.in", "out.log"}
        case.check(not left, f"left beside: {sorted(left)}")
        case.check(self.read(os.path.join(folder, "a.in")) == source, "the input changed")
        self.add(case)

    # ---- signals during -i of a large file ------------------------------------------------

    def big_pair(self, megabytes):
        line = b"the cat sat on a mat, and the cat ran off\n"
        old = line * (megabytes * 1_000_000 // len(line))
        new = old.replace(b"cat", b"lion")
        return old, new

    @staticmethod
    def digest(path):
        h = hashlib.sha256()
        try:
            with open(path, "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    h.update(block)
        except OSError:
            return None
        return h.hexdigest()

    def family_signals(self):
        megabytes = 200 if self.args.long else 50
        moments = 4 if self.args.long else 2
        old, new = self.big_pair(megabytes)
        sums = {"old": hashlib.sha256(old).hexdigest(), "new": hashlib.sha256(new).hexdigest()}
        table = self.table(os.path.join(self.work, "lion.palimp"), [("cat", "lion", "C")])
        folder = self.fresh_dir("signals")
        master = os.path.join(self.work, "big.master")
        self.write(master, old)
        del old, new
        target = os.path.join(folder, "big.txt")
        # How long an undisturbed run takes, so that the signals fall inside it.
        shutil.copyfile(master, target)
        status, _, err, full = self.run(["-t", table, "-i", "big.txt"], folder)
        if status != 0 or self.digest(target) != sums["new"]:
            case = Case("signals", "undisturbed run")
            case.check(False, f"exit {status}, result {'right' if self.digest(target) == sums['new'] else 'wrong'}: "
                              f"{err.decode(errors='replace').strip()}")
            self.add(case)
        self.notes.append(f"signals: an undisturbed -i of {megabytes} MB takes {full:.2f} s")
        variants = [("-i", []), ("-i --backup", ["--backup", ".orig"]),
                    ("--keep-links -i --backup, a file with two names", ["--keep-links", "--backup", ".orig"])]
        signals = [signal.SIGINT, signal.SIGTERM, signal.SIGQUIT, signal.SIGHUP, signal.SIGXFSZ]
        for number in signals:
            for label, extra in variants:
                for _ in range(moments):
                    delay = self.rng.uniform(0.0, full * 1.05)
                    self.signal_case(number, label, extra, delay, folder, master, table, sums)
        os.unlink(master)

    def signal_case(self, number, label, extra, delay, folder, master, table, sums):
        name = signal.Signals(number).name
        case = Case("signals", f"{name} after {delay:.2f} s, {label}")
        for leftover in self.listing(folder):
            os.unlink(os.path.join(folder, leftover))
        target = os.path.join(folder, "big.txt")
        shutil.copyfile(master, target)
        expected = {"big.txt"}
        if "--keep-links" in extra:
            os.link(target, os.path.join(folder, "alias.txt"))
            expected.add("alias.txt")

        def setup():
            resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
            for n in (signal.SIGINT, signal.SIGQUIT, signal.SIGTERM, signal.SIGHUP, signal.SIGXFSZ):
                signal.signal(n, signal.SIG_DFL)
        process = subprocess.Popen(self.command + ["-t", table, "-i"] + extra + ["big.txt"], cwd=folder,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE, preexec_fn=setup)
        time.sleep(delay)
        process.send_signal(number)
        _, err = process.communicate()
        status = process.returncode
        message = err.decode(errors="replace").strip()
        now = self.digest(target)
        state = "old" if now == sums["old"] else "new" if now == sums["new"] else "neither"
        case.check(status in (0, -number, 128 + number), f"exit {status}")
        if status == 0:
            case.check(state == "new", f"exit 0, but the file is {state}")
        # In place (--keep-links) a failure midway is allowed when it says so and the result
        # is kept beside; the old content is then in the backup.
        named = [p for p in self.listing(folder) if p in message]
        if state == "neither":
            allowed = "--keep-links" in extra and "partly rewritten" in message and \
                any(self.digest(os.path.join(folder, p)) == sums["new"] for p in named)
            case.check(allowed, f"the file is neither old nor new (exit {status}; {message!r})")
        backup_old = "--backup" in extra and os.path.exists(target + ".orig") and \
            self.digest(target + ".orig") == sums["old"]
        if state == "new" and extra and "--backup" in extra:
            case.check(backup_old, "the file is new but its backup does not hold the old content")
        if (state == "neither" or (state == "new" and "--backup" in extra)) and not backup_old:
            case.lose(os.path.getsize(master), "the old content is nowhere")
        case.name += f" (exit {status}, file {state})"
        # A backup holding the old content may stay, whatever the file's state; nothing else.
        allowed = expected | set(named) | ({"big.txt.orig"} if backup_old else set())
        left = self.listing(folder) - allowed
        case.check(not left, f"left behind: {sorted(left)}")
        self.add(case)

    # ---- full disks ----------------------------------------------------------------------

    def family_full_disk(self):
        old = b"cat " * 150_000 + b"\n"   # 600 KB; the result is 750 KB
        new = old.replace(b"cat", b"lion")
        table = self.table(os.path.join(self.work, "lion.palimp"), [("cat", "lion", "C")])
        variants = ["-i", "-i --backup", "--keep-links -i", "--keep-links -i --backup", "-o new", "-o existing"]
        disk = os.path.join(self.work, "disk")
        os.mkdir(disk)
        mounted = False
        if IS_ROOT:
            done = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=2m", "tmpfs", disk],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            mounted = done.returncode == 0
            if not mounted:
                self.notes.append(f"full disk: tmpfs refused ({done.stderr.decode().strip()}); RLIMIT_FSIZE only")
        try:
            if mounted:
                for free in (0, 4096, 65536, 300_000, 700_000, 760_000, 800_000, 900_000, 1_000_000, 1_200_000, 1_400_000):
                    for variant in variants:
                        self.full_disk_case(variant, f"tmpfs of 2 MB, {free} bytes free", disk, old, new,
                                            table, free=free)
        finally:
            if mounted:
                subprocess.run(["umount", disk])
        limits = [0, 4096, len(old) // 2, len(old) + 1, len(new) - 1]
        for limit in limits:
            for variant in variants:
                folder = self.fresh_dir("fsize")
                self.full_disk_case(variant, f"RLIMIT_FSIZE {limit}", folder, old, new, table, limit=limit)

    def full_disk_case(self, variant, label, folder, old, new, table, free=None, limit=None):
        case = Case("full disk", f"{variant}, {label}")
        for name in self.listing(folder):
            os.unlink(os.path.join(folder, name))
        target = os.path.join(folder, "f.txt")
        self.write(target, old)
        keep = "--keep-links" in variant
        if keep:
            os.link(target, os.path.join(folder, "alias.txt"))
        output = None
        if variant.startswith("-o"):
            output = os.path.join(folder, "out.txt")
            if variant == "-o existing":
                self.write(output, b"the earlier output\n")
        if free is not None:
            filler = os.path.join(folder, "filler")
            with open(filler, "wb") as f:
                try:
                    f.write(b"\0" * max(0, os.statvfs(folder).f_bavail * os.statvfs(folder).f_frsize - free))
                except OSError:
                    pass
        before = self.listing(folder)
        prior_output = self.read(output) if output else None
        args = ["-t", table]
        if output:
            args += ["-o", "out.txt", "f.txt"]
        else:
            args += ["-i"] + (["--keep-links"] if keep else []) + \
                    (["--backup", ".orig"] if "--backup" in variant else []) + ["f.txt"]
        limits = [(resource.RLIMIT_FSIZE, limit)] if limit is not None else []
        status, _, err, _ = self.run(args, folder, limits=limits, ignore=[signal.SIGXFSZ] if limits else [])
        message = err.decode(errors="replace").strip()
        now = self.read(target)
        written = self.read(output) if output else now
        named = {p for p in self.listing(folder) if p in message and p not in ("f.txt", "out.txt")}
        if status == 0:
            case.check(written == new, "exit 0, but the output does not hold the result")
            if "--backup" in variant:
                case.check(self.read(target + ".orig") == old, "exit 0, but the backup does not hold the old content")
        else:
            case.check(status is not None and status > 0, f"exit {status}")
            case.check(message != "", "failed without a message")
            if "nothing written" in message:
                case.check(now == old and (not output or self.read(output) == prior_output),
                           f"says nothing written, yet a file changed: {message!r}")
            partly = "partly" in message
            if output is None and now != old and not partly:
                case.check(False, f"the file changed and the message does not say so: {message!r}")
            if partly:
                case.check(any(self.read(os.path.join(folder, p)) == new for p in named),
                           f"says the result is kept beside, but no named file holds it: {message!r}")
                case.check(keep, f"a new file's write left the target partly rewritten: {message!r}")
        places = [target] + [os.path.join(folder, p) for p in named] + \
                 ([target + ".orig"] if "--backup" in variant else [])
        self.loss_of_original(case, old, places, done=status == 0 and written == new and "--backup" not in variant)
        if output and variant == "-o existing" and status != 0:
            if self.read(output) != prior_output:
                case.lose(len(prior_output), "the earlier output is gone after a failed -o")
        allowed = before | {"f.txt.orig", "out.txt"} | named
        left = self.listing(folder) - allowed
        case.check(not left, f"left behind: {sorted(left)} ({message!r})")
        case.name += f" (exit {status})"
        if self.args.verbose and message:
            case.name += f": {message[:160]}"
        self.add(case)

    # ---- concurrent runs and appenders ----------------------------------------------------

    def family_concurrent(self):
        trials = 6 if self.args.long else 3
        for trial in range(trials):
            self.concurrent_case(trial, keep=False)
        for trial in range(max(1, trials // 2)):
            self.concurrent_case(trial, keep=True)
        sessions = 5 if self.args.long else 3
        seconds = 8.0 if self.args.long else 3.0
        for session in range(sessions):
            self.appender_case(session, seconds, backup=session % 2 == 1)
        self.held_open_note(seconds)

    def concurrent_case(self, trial, keep):
        runs = 20
        case = Case("concurrent", f"20 runs of -i at once{' --keep-links' if keep else ''}, trial {trial + 1}")
        folder = self.fresh_dir("concurrent")
        words = [f"w{i:02d}" for i in range(runs)]
        old = (" ".join(words) + "\n").encode() * 20000
        target = os.path.join(folder, "f.txt")
        self.write(target, old)
        if keep:
            os.link(target, os.path.join(folder, "alias.txt"))
        tables = [self.table(os.path.join(self.work, f"conc{i}.palimp"), [(w, w.upper(), "C")])
                  for i, w in enumerate(words)]

        def setup():
            resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
        processes = [subprocess.Popen(self.command + ["-t", t, "-i"] + (["--keep-links"] if keep else []) + ["f.txt"],
                                      cwd=folder, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                      stderr=subprocess.PIPE, preexec_fn=setup) for t in tables]
        outcomes = [(p.wait(timeout=300), p.stderr.read().decode(errors="replace")) for p in processes]
        for p in processes:
            p.stderr.close()
        succeeded = [w for w, (s, _) in zip(words, outcomes) if s == 0]
        expected = old.decode()
        for w in succeeded:
            expected = expected.replace(w, w.upper())
        now = self.read(target).decode(errors="replace")
        for w, (s, message) in zip(words, outcomes):
            if s != 0:
                case.check(s == 1 and "nothing written" in message, f"run {w}: exit {s}: {message.strip()!r}")
        if now != expected:
            lost = [w for w in succeeded if w.upper() not in now]
            case.check(False, f"{len(succeeded)} runs exited 0, the file holds the changes of "
                              f"{sum(1 for w in words if w.upper() in now)}; lost: {lost}")
            case.lose(sum(20000 * len(w) for w in lost), "changes of runs that exited 0 are gone")
        left = self.listing(folder) - {"f.txt", "alias.txt"}
        case.check(not left, f"left behind: {sorted(left)}")
        case.name += f" ({len(succeeded)} succeeded)"
        self.add(case)

    def appender_case(self, session, seconds, backup):
        case = Case("concurrent", f"appender during repeated -i{' --backup' if backup else ''}, "
                                  f"session {session + 1} ({seconds:.0f} s)")
        folder = self.fresh_dir("append")
        target = os.path.join(folder, "log.txt")
        self.write(target, b"the cat sat on the mat\n" * 40000)
        tables = [self.table(os.path.join(self.work, "to-dog.palimp"), [("cat", "dog", "C")]),
                  self.table(os.path.join(self.work, "to-cat.palimp"), [("dog", "cat", "C")])]
        written = []
        stop = threading.Event()
        pace = random.Random(self.rng.random())

        def appender():
            number = 0
            while not stop.is_set():
                line = f"appended line {number:06d}\n".encode()
                fd = os.open(target, os.O_WRONLY | os.O_APPEND)
                os.write(fd, line)
                os.close(fd)
                written.append((line, time.monotonic()))
                number += 1
                # Pauses of every length, so that some runs see no change and go through.
                time.sleep(pace.choice((0.0005, 0.002, 0.01, 0.03, 0.08)))
        thread = threading.Thread(target=appender)
        thread.start()
        runs = []
        stranded = set()
        end = time.monotonic() + seconds
        k = 0
        while time.monotonic() < end:
            args = ["-t", tables[k % 2], "-i"] + (["--backup", ".orig"] if backup else []) + ["log.txt"]
            start = time.monotonic()
            status, _, err, _ = self.run(args, folder)
            runs.append((status, err.decode(errors="replace").strip(), start, time.monotonic()))
            if backup and status == 0:
                # Lines that reached the old file after it was read: in the backup, not in the result.
                kept = set(l for l in (self.read(target + ".orig") or b"").splitlines(keepends=True)
                           if l.startswith(b"appended line"))
                result = set(l for l in (self.read(target) or b"").splitlines(keepends=True)
                             if l.startswith(b"appended line"))
                stranded.update(kept - result)
            k += 1
        stop.set()
        thread.join()
        final = self.read(target)
        present = set(line for line in final.splitlines(keepends=True) if line.startswith(b"appended line"))
        lost = [(line, t) for line, t in written if line not in present]
        for status, message, _, _ in runs:
            if status != 0:
                case.check(status == 1 and "changed by another program" in message,
                           f"a run failed with exit {status}: {message!r}")
        case.check(len(final.splitlines()) == 40000 + len(written) and len(present) == len(written) or lost,
                   "appended lines are duplicated or the file is garbled")
        if lost:
            sample = lost[0][0].decode().strip()
            # Where each lost line fell: how long before the end of the run that exited 0 next.
            gaps = []
            for _, t in lost:
                ends = [e for status, _, _, e in runs if status == 0 and e >= t]
                starts = [b for status, _, b, e in runs if status == 0 and e >= t]
                if ends:
                    gaps.append(f"{(min(ends) - t) * 1000:.1f} ms before the end of a run that began "
                                f"{(t - starts[ends.index(min(ends))]) * 1000:.1f} ms before it")
            case.lose(sum(len(line) for line, _ in lost),
                      f"{len(lost)} of {len(written)} appended lines gone (first: {sample!r}, written "
                      f"{gaps[0] if gaps else 'after the last run'}; "
                      f"{len(stranded & set(l for l, _ in lost))} were seen in a backup the next run replaced)")
        left = self.listing(folder) - {"log.txt", "log.txt.orig"}
        case.check(not left, f"left behind: {sorted(left)}")
        case.name += f": {len(runs)} runs, {sum(1 for r in runs if r[0] == 0)} exited 0, {len(written)} lines appended"
        self.add(case)

    def held_open_note(self, seconds):
        """A writer that keeps the file open is one no tool can detect (the README says so):
        its loss is reported as a note, not as a defect."""
        folder = self.fresh_dir("held")
        target = os.path.join(folder, "log.txt")
        self.write(target, b"the cat sat on the mat\n" * 40000)
        tables = [self.table(os.path.join(self.work, "to-dog.palimp"), [("cat", "dog", "C")]),
                  self.table(os.path.join(self.work, "to-cat.palimp"), [("dog", "cat", "C")])]
        stop = threading.Event()
        count = [0]

        pace = random.Random(self.rng.random())

        def appender():
            fd = os.open(target, os.O_WRONLY | os.O_APPEND)
            while not stop.is_set():
                os.write(fd, f"appended line {count[0]:06d}\n".encode())
                count[0] += 1
                time.sleep(pace.choice((0.0005, 0.002, 0.01, 0.03, 0.08)))
            os.close(fd)
        thread = threading.Thread(target=appender)
        thread.start()
        end, k, succeeded = time.monotonic() + seconds, 0, 0
        while time.monotonic() < end:
            succeeded += self.run(["-t", tables[k % 2], "-i", "log.txt"], folder)[0] == 0
            k += 1
        stop.set()
        thread.join()
        present = sum(1 for line in self.read(target).splitlines() if line.startswith(b"appended line"))
        self.notes.append(f"concurrent (not counted, documented as undetectable): a writer keeping the file "
                          f"open appended {count[0]} lines during {k} runs ({succeeded} exited 0); "
                          f"{count[0] - present} are not in the file")

    # ---- malformed tables and inputs -----------------------------------------------------

    def family_malformed(self):
        rng = self.rng
        good = self.table(os.path.join(self.work, "cat.palimp"), [("cat", "dog", "W")])
        folder = self.fresh_dir("malformed")
        tables = {
            "random bytes 1": bytes(rng.getrandbits(8) for _ in range(4096)),
            "random bytes 2": bytes(rng.getrandbits(8) for _ in range(65536)),
            "random bytes after ##": b"t\n##\n" + bytes(rng.getrandbits(8) for _ in range(8192)),
            "a NUL inside a row": b"t\n##\nca\0t\tdog\tW\ncat\tdog\tW\n",
            "NULs only": b"\0" * 65536,
            "a 20 MB row": b"t\n##\n" + b"x" * 20_000_000 + b"\t" + b"y" * 20_000_000 + b"\tC\n",
            "100,000 rows": b"t\n##\n" + b"".join(b"w%06d\tv%06d\tC\n" % (i, i) for i in range(100_000)),
            "UTF-16 LE truncated": ("\ufefft\r\n##\r\ncat\tdog\tW\r\n".encode("utf-16-le"))[:-1],
            "UTF-16 BE truncated": ("\ufefft\r\n##\r\ncat\tdog\tW\r\n".encode("utf-16-be"))[:-3],
            "UTF-16 without mark": "t\r\n##\r\ncat\tdog\tW\r\n".encode("utf-16-le"),
            "UTF-16 lone surrogate": b"\xff\xfe" + "t\r\n##\r\nca".encode("utf-16-le") + b"\x00\xd8" +
                                     "\tdog\tW\r\n".encode("utf-16-le"),
            "a byte order mark only": b"\xff\xfe",
            "empty": b"",
            "## only": b"##",
            "invalid UTF-8": b"t\n##\ncat\xff\xfe\tdog\tW\n",
            "bad escape in an extended row": b"t\n##\n\\q\\x\tdog\tE\n",
            "options of every letter": b"t\n##\ncat\tdog\tABCDEFGHIJKLMNOPQRSTUVWXYZ,,,\n",
            "tabs only": b"t\n##\n" + b"\t" * 100000 + b"\n",
        }
        if self.args.long:
            # About 60 bytes of memory a byte of phrase: beyond the 2 GiB limit, which must
            # end in a message, not a crash.
            tables["a 60 MB row"] = b"t\n##\n" + b"x" * 60_000_000 + b"\tyy\tC\n"
        for name, data in tables.items():
            path = os.path.join(folder, "table-" + str(len(self.cases)))
            self.write(path, data)
            self.malformed_case(f"table: {name}", ["-t", path, "-i", "in.txt"], folder)
        os.mkdir(os.path.join(folder, "a-dir"))
        for name, path in (("/dev/zero", "/dev/zero"), ("/dev/urandom", "/dev/urandom"),
                           ("a directory", os.path.join(folder, "a-dir")),
                           ("a missing file", os.path.join(folder, "missing"))):
            self.malformed_case(f"table: {name}", ["-t", path, "-i", "in.txt"], folder)
        inputs = {
            "random bytes": bytes(rng.getrandbits(8) for _ in range(1 << 20)),
            "NULs": b"\0" * (1 << 20),
            "a 30 MB line": b"cat " * 7_500_000,
            "UTF-16 LE truncated": ("\ufeffa cat\r\n" * 1000).encode("utf-16-le")[:-1],
            "UTF-16 LE lone surrogates": b"\xff\xfe" + b"\x00\xd8c\x00a\x00t\x00 \x00\x00\xdc" * 1000,
            "UTF-8 mark and invalid bytes": b"\xef\xbb\xbfa cat \xc3\x28 \xed\xa0\x80\n" * 1000,
            "CR only line breaks": b"a cat\r" * 10000,
        }
        for name, data in inputs.items():
            for extra in ([], ["--ansi", "1252"]):
                self.write(os.path.join(folder, "in.txt"), data)
                self.malformed_case(f"input: {name}{' ' + ' '.join(extra) if extra else ''}",
                                    ["-t", good] + extra + ["-i", "in.txt"], folder, original=data)
        self.malformed_case("input: a directory", ["-t", good, "-i", "a-dir"], folder)
        self.malformed_case("-o a directory", ["-t", good, "-o", "a-dir", "in.txt"], folder)
        if IS_ROOT:
            node = os.path.join(folder, "null-device")
            os.mknod(node, stat.S_IFCHR | 0o666, os.makedev(1, 3))
            case = self.malformed_case("input: a character device with -i", ["-t", good, "-i", "null-device"], folder)
            case.check(stat.S_ISCHR(os.lstat(node).st_mode), "the device was replaced by a regular file")
            os.unlink(node)
        random_input = bytes(rng.getrandbits(8) for _ in range(1 << 16))
        self.malformed_case("standard input: random bytes", ["-t", good], folder, stdin_data=random_input)

    def malformed_case(self, name, args, folder, original=None, stdin_data=None):
        case = Case("malformed", name)
        source = os.path.join(folder, "in.txt")
        if original is None and stdin_data is None:
            original = b"a cat and a hat\n" * 100
            self.write(source, original)
        before = self.listing(folder)
        stdin = None
        if stdin_data is not None:
            stdin = open(os.path.join(folder, "stdin.bin"), "w+b")
            stdin.write(stdin_data)
            stdin.seek(0)
            before.add("stdin.bin")
        limits = [(resource.RLIMIT_AS, 2 << 30)]
        status, _, err, seconds = self.run(args, folder, stdin=stdin, stdout=subprocess.DEVNULL,
                                           timeout=60, limits=limits)
        if stdin:
            stdin.close()
            os.unlink(stdin.name)
            before.discard("stdin.bin")
        message = err.decode(errors="replace").strip()
        case.check(status is not None, "no end within 60 s")
        case.check(status is None or status in (0, 1, 2),
                   f"exit {status}{' (signal ' + signal.Signals(-status).name + ')' if status and status < 0 else ''}: "
                   f"{message[-300:]!r}")
        if status not in (0, None):
            case.check(message.startswith("palimp-replace:"), f"exit {status} without a message")
        if original is not None and "-i" in args and status != 0:
            now = self.read(source)
            case.check(now == original, f"exit {status}, yet the input changed")
            if now != original:
                case.lose(len(original), "the input's content is gone")
        left = self.listing(folder) - before
        case.check(not left, f"left behind: {sorted(left)}")
        case.name += f" (exit {status}, {seconds:.1f} s)"
        return self.add(case)

    # ---- fuzzer against a small reference -------------------------------------------------

    @staticmethod
    def reference(text, rows):
        """The replace-many rule: leftmost, the first row that matches at a position wins, its
        replacement is never scanned again, an empty phrase never matches. Without C the case
        of each (ASCII) letter is ignored; W wants no letter just before and after."""
        out, i, n = [], 0, len(text)
        folded = text.lower()
        hits = 0
        while i < n:
            for phrase, replacement, options in rows:
                if not phrase:
                    continue
                m = len(phrase)
                if "C" in options:
                    if not text.startswith(phrase, i):
                        continue
                elif not folded.startswith(phrase.lower(), i):
                    continue
                if "W" in options and ((i > 0 and text[i - 1].isalpha()) or (i + m < n and text[i + m].isalpha())):
                    continue
                out.append(replacement)
                i += m
                hits += 1
                break
            else:
                out.append(text[i])
                i += 1
        return "".join(out), hits

    def family_fuzz(self):
        seconds = 120 if self.args.long else 20
        rng = self.rng
        folder = self.fresh_dir("fuzz")
        table = os.path.join(folder, "t.palimp")
        phrase_letters = "abAB1_.-"
        text_letters = "abAB 1_.-\n"
        end = time.monotonic() + seconds
        modes = {"filter": Case("fuzz", "filter"), "in place": Case("fuzz", "-i"), "count": Case("fuzz", "--count")}
        tries = {mode: 0 for mode in modes}
        tried = mismatches = 0
        while time.monotonic() < end:
            rows = []
            for _ in range(rng.randint(1, 8)):
                phrase = "".join(rng.choice(phrase_letters) for _ in range(rng.randint(1, 4)))
                replacement = "".join(rng.choice(phrase_letters + "é€") for _ in range(rng.randint(0, 5)))
                rows.append((phrase, replacement, rng.choice(["", "C", "W", "C,W"])))
            self.table(table, rows, header="fuzz")
            text = "".join(rng.choice(text_letters) for _ in range(rng.randint(0, 300)))
            expected, hits = self.reference(text, rows)
            mode = rng.choice(list(modes))
            case = modes[mode]
            tried += 1
            tries[mode] += 1
            stdin = None
            if mode == "in place":
                self.write(os.path.join(folder, "f.txt"), text.encode())
                status, _, err, _ = self.run(["-q", "-t", table, "-i", "f.txt"], folder, timeout=20)
                out = self.read(os.path.join(folder, "f.txt"))
            else:
                stdin = self._stdin(folder, text)
                args = ["-q", "-t", table] + (["--count"] if mode == "count" else [])
                status, out, err, _ = self.run(args, folder, stdin=stdin, timeout=20)
                stdin.close()
                if mode == "count":
                    expected = f"{hits}\n"
            fine = status == 0 and out == expected.encode()
            if not fine:
                mismatches += 1
                if len(case.problems) < 3:
                    case.check(False, f"exit {status}, table {rows!r}, text {text!r}: got {out[:200]!r}, "
                                      f"expected {expected.encode()[:200]!r} {err.decode(errors='replace')[:200]!r}")
        for mode, case in modes.items():
            case.name += f" ({tries[mode]} random tables and texts)"
            self.add(case)
        self.notes.append(f"fuzz: {tried} random tables and texts in {seconds} s, {mismatches} differed from the reference")

    @staticmethod
    def _stdin(folder, text):
        f = open(os.path.join(folder, "stdin.txt"), "w+b")
        f.write(text.encode())
        f.seek(0)
        return f

    # ---- Wine ----------------------------------------------------------------------------

    def family_wine(self):
        exe = os.path.abspath(self.args.exe)
        if not os.path.exists(exe):
            raise SystemExit(f"reliability_probe: --wine needs {exe} (make mingw)")
        state = os.path.join(ROOT, "build", "mingw64", "wine-probe")
        done = subprocess.run([os.path.join(ROOT, "scripts", "wine-run"), "--state", state, "--env"],
                              capture_output=True, text=True, cwd=ROOT)
        if done.returncode != 0:
            raise SystemExit(f"reliability_probe: wine-run --env failed: {done.stderr.strip()}")
        env = dict(os.environ)
        for word in done.stdout.replace("export ", "").split():
            key, _, value = word.partition("=")
            env[key] = value
        command = ["wine", exe]
        saved_run = self.run

        def run_wine(args, cwd, **kw):
            kw.setdefault("env", env)
            kw["command"] = command
            kw["timeout"] = max(kw.get("timeout", 120), 120)
            return saved_run(args, cwd, **kw)
        self.run = run_wine
        try:
            # Wine sees the table through Z:, relative names through the folder it starts in.
            self.family_metadata(family="wine metadata", command=command)
        finally:
            self.run = saved_run
            subprocess.run([os.path.join(ROOT, "scripts", "wine-run"), "--state", state, "--stop"], cwd=ROOT)

    # ---- report --------------------------------------------------------------------------

    def report(self, seconds):
        families = []
        for case in self.cases:
            if case.family not in families:
                families.append(case.family)
        for family in families:
            mine = [c for c in self.cases if c.family == family]
            bad = [c for c in mine if c.problems]
            print(f"{family}: {len(mine)} cases, {len(bad)} defects, {sum(c.lost for c in mine)} bytes lost")
            for c in bad:
                print(f"  DEFECT {c.name}: " + "; ".join(c.problems))
        for note in self.notes:
            print(f"note: {note}")
        defects = sum(1 for c in self.cases if c.problems)
        lost = sum(c.lost for c in self.cases)
        print(f"reliability probe: {len(self.cases)} cases tried, {defects} defects, {lost} bytes lost "
              f"({seconds:.0f} s)")
        return defects


FAMILIES = ["metadata", "streams", "signals", "full-disk", "concurrent", "malformed", "fuzz"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", default=DEFAULT_PROGRAM, help="the native palimp-replace")
    parser.add_argument("--long", action="store_true", help="larger files, more moments, longer fuzzing")
    parser.add_argument("--wine", action="store_true", help="also the metadata family under Wine")
    parser.add_argument("--exe", default=DEFAULT_EXE, help="palimp-replace.exe for --wine")
    parser.add_argument("--seed", type=int, default=None, help="random seed (default: time)")
    parser.add_argument("--only", default="", help="comma-separated families: " + ",".join(FAMILIES + ["wine"]))
    parser.add_argument("--verbose", action="store_true", help="one line per case")
    parser.add_argument("--keep", action="store_true", help="keep the scratch folder")
    args = parser.parse_args()
    if args.seed is None:
        args.seed = int(time.time())
    if not os.access(args.program, os.X_OK):
        print(f"reliability_probe: no program at {args.program} (make native)", file=sys.stderr)
        return 2
    chosen = [f for f in args.only.split(",") if f] or list(FAMILIES)
    unknown = [f for f in chosen if f not in FAMILIES + ["wine"]]
    if unknown:
        print(f"reliability_probe: no family {', '.join(unknown)}; they are {', '.join(FAMILIES + ['wine'])}",
              file=sys.stderr)
        return 2
    if args.wine and "wine" not in chosen:
        chosen.append("wine")
    probe = Probe(args)
    print(f"reliability probe of {args.program}, seed {args.seed}{', long' if args.long else ''}, "
          f"{'root' if IS_ROOT else 'not root'}, xattrs {'on' if probe.xattrs else 'off'}", flush=True)
    start = time.monotonic()
    try:
        for family in chosen:
            began = time.monotonic()
            getattr(probe, "family_" + family.replace("-", "_"))()
            print(f"  {family}: done in {time.monotonic() - began:.1f} s", flush=True)
    finally:
        if not args.keep:
            shutil.rmtree(probe.work, ignore_errors=True)
        else:
            print(f"scratch folder kept: {probe.work}")
    return 1 if probe.report(time.monotonic() - start) else 0


if __name__ == "__main__":
    sys.exit(main())
