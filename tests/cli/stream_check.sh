#!/bin/sh
# palimp-replace -o naming its own standard output or error, as a shell user spells it, and
# a run with standard output closed.
#
#   stream_check.sh DATA_DIR PROGRAM
#
# Regressions: "-o /dev/stdout a.in >> app.log" renamed a new file over app.log, which then
# held only the result; with a pipe it failed with "No such file or directory". With standard
# output closed, the scratch file of a piped input took descriptor 1 and the result went into
# it, reported as success.
set -u
data=$1 program=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
cp "$data/animals.palimp" "$data/animals.txt" .
fail() { echo "$*" >&2; exit 1; }
run() { "$program" -t animals.palimp "$@"; }

printf 'earlier line\n' >app.log
run -o /dev/stdout animals.txt >>app.log || fail "/dev/stdout appended: exit $?"
{ printf 'earlier line\n'; cat "$data/animals.expected"; } | cmp -s - app.log || fail "/dev/stdout appended: app.log is $(cat app.log)"
echo "ok: -o /dev/stdout appends to the file the shell opened"

run -o app.log animals.txt >>app.log || fail "own name: exit $?"
[ "$(grep -c '^dog and dog' app.log)" = 2 ] && [ "$(head -1 app.log)" = "earlier line" ] ||
  fail "-o with the redirected file's own name: app.log is $(cat app.log)"
echo "ok: -o naming the redirected file by its name writes to the stream"

run -o /dev/stdout animals.txt | cat >piped || fail "pipe: exit $?"
cmp -s piped "$data/animals.expected" || fail "through a pipe: $(cat piped)"
run -o /proc/self/fd/1 animals.txt >fd.out || fail "/proc/self/fd/1: exit $?"
cmp -s fd.out "$data/animals.expected" || fail "/proc/self/fd/1: $(cat fd.out)"
run -o /dev/stderr animals.txt 2>err.log >/dev/null || fail "/dev/stderr: exit $?"
cmp -s err.log "$data/animals.expected" || fail "/dev/stderr: $(cat err.log)"
echo "ok: a pipe, /proc/self/fd/1 and /dev/stderr"
[ "$(ls -A | sort | tr '\n' ' ')" = "animals.palimp animals.txt app.log err.log fd.out piped " ] ||
  fail "left behind: $(ls -A)"

# A piped input long enough to be spooled to a scratch file, with standard output closed.
awk 'BEGIN { for (i = 0; i < 40000; i++) print "a cat and a hat" }' >long.txt
run <long.txt >&- 2>closed.err
status=$?
[ $status = 1 ] && grep -q "standard output: cannot write: Bad file descriptor" closed.err ||
  fail "standard output closed: exit $status; $(cat closed.err)"
cat long.txt | run >&- 2>closed.err
status=$?
[ $status = 1 ] && grep -q "standard output: cannot write: Bad file descriptor" closed.err ||
  fail "standard output closed, piped input: exit $status; $(cat closed.err)"
echo "ok: with standard output closed the run says so"
