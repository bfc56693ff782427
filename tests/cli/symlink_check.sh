#!/bin/sh
# Runs palimp-replace -i on a symbolic link and checks that the link stays a link and the file
# it names holds the result, with nothing left beside it. The link is made on the Unix side,
# which is how Wine shows links to Windows programs (its CreateSymbolicLinkW makes none).
#
#   symlink_check.sh DATA_DIR -- COMMAND [ARGS...]
#
# COMMAND may start with an emulator (Wine); it runs in a scratch folder with the link.
set -u
data=$1
shift
[ "$1" = "--" ] && shift

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/real"
cp "$data/animals.palimp" "$dir/"
cp "$data/animals.txt" "$dir/real/"
ln -s real/animals.txt "$dir/link.txt"
cd "$dir" || exit 1
"$@" -t animals.palimp -i link.txt >out 2>err
status=$?
if [ "$status" != 0 ]; then
  echo "exit status $status; standard error:" >&2
  cat err >&2
  exit 1
fi
[ -L link.txt ] || { echo "the link was replaced by a plain file" >&2; exit 1; }
cmp -s real/animals.txt "$data/animals.expected" || { echo "the linked file does not hold the result" >&2; exit 1; }
[ "$(ls -A real)" = "animals.txt" ] || { echo "left beside the file: $(ls -A real)" >&2; exit 1; }
echo "ok: link kept"
