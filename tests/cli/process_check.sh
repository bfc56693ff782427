#!/bin/sh
# Runs palimp-replace as a separate process, as a shell user would, and checks its exit
# status and, when given, its standard output against a file.
#
#   process_check.sh EXIT STDIN EXPECTED_STDOUT [STDERR_PART] -- COMMAND [ARGS...]
#
# STDIN and EXPECTED_STDOUT may be "-" for none; EXPECTED_STDOUT /dev/full sends the output
# there. STDERR_PART, when given, must occur in standard error. COMMAND may start with an
# emulator (Wine).
# Both output streams go to files: a helper process that the emulator leaves running for a
# while then holds no pipe of the caller's open.
set -u
want_exit=$1 stdin=$2 expected=$3
shift 3
stderr_part=
if [ "$1" != "--" ]; then
  stderr_part=$1
  shift
fi
[ "$1" = "--" ] && shift

out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
[ "$stdin" = "-" ] && stdin=/dev/null
target=$out
[ "$expected" = "/dev/full" ] && target=/dev/full expected=-
"$@" <"$stdin" >"$target" 2>"$err"
status=$?

if [ "$status" != "$want_exit" ]; then
  echo "exit status $status, expected $want_exit; standard error:" >&2
  cat "$err" >&2
  exit 1
fi
if [ "$expected" != "-" ] && ! cmp -s "$out" "$expected"; then
  echo "standard output differs from $expected:" >&2
  od -c "$out" | head -20 >&2
  exit 1
fi
if [ -n "$stderr_part" ] && ! grep -qF -- "$stderr_part" "$err"; then
  echo "standard error lacks \"$stderr_part\":" >&2
  cat "$err" >&2
  exit 1
fi
echo "ok: exit $status"
