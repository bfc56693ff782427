#!/bin/sh
# Runs palimp-replace as a separate process, as a shell user would, and checks its exit
# status and, when given, its standard output against a file.
#
#   process_check.sh EXIT STDIN EXPECTED_STDOUT -- COMMAND [ARGS...]
#
# STDIN and EXPECTED_STDOUT may be "-" for none. COMMAND may start with an emulator (Wine).
# Both output streams go to files: a helper process that the emulator leaves running for a
# while then holds no pipe of the caller's open.
set -u
want_exit=$1 stdin=$2 expected=$3
shift 3
[ "$1" = "--" ] && shift

out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
[ "$stdin" = "-" ] && stdin=/dev/null
"$@" <"$stdin" >"$out" 2>"$err"
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
echo "ok: exit $status"
