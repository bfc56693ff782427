#!/bin/sh
# palimp-replace.exe -i under Wine on files with the modes, owner and group users give them,
# checked from the Unix side with stat: the rewritten file keeps its mode, owner, group and
# extended attributes, its backup grants no more than it did, and nothing is left beside it.
#
#   wine_metadata_check.sh DATA_DIR -- COMMAND [ARGS...]
#
# Regression: under Wine every save over an existing file made it mode 0750 and owned by the
# user running Wine (0:0 for root), and its extended attributes went: the unfinished file's
# private descriptor became its Unix mode, and Wine's ReplaceFileW carries nothing over; and
# the backup, a copy, was 0644 whatever the file's mode, so a private file's was readable by all.
set -u
data=$1
shift
[ "$1" = "--" ] && shift

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$data/animals.palimp" "$dir/"
cd "$dir" || exit 1
fail() { echo "$*" >&2; exit 1; }
attributes=$(command -v python3 >/dev/null && python3 -c 'import os; os.setxattr("animals.palimp", "user.t", b"1")' 2>/dev/null && echo yes)

for mode in 664 600 644 755; do
  file=mode$mode.txt
  cp "$data/animals.txt" "$file"
  chmod "$mode" "$file"
  [ "$(id -u)" = 0 ] && chown 1234:1235 "$file"
  [ -n "$attributes" ] && python3 -c "import os; os.setxattr('$file', 'user.note', b'kept')"
  before=$(stat -c '%a %u %g' "$file")
  "$@" -t animals.palimp -i "$file" >out 2>err || fail "$file: exit $?: $(cat err)"
  after=$(stat -c '%a %u %g' "$file")
  [ "$before" = "$after" ] || fail "$file: mode, owner and group were '$before', now '$after'"
  cmp -s "$file" "$data/animals.expected" || fail "$file does not hold the result"
  if [ -n "$attributes" ]; then
    note=$(python3 -c "import os; print(os.getxattr('$file', 'user.note').decode())" 2>&1)
    [ "$note" = kept ] || fail "$file: extended attribute user.note: $note"
  fi
  # The backup is a copy here (the file itself is rewritten in place, to keep the above): it
  # grants no one more than the file did. Wine cannot give it the owner, nor x bits back.
  cp "$data/animals.txt" "$file"
  "$@" -t animals.palimp -i --backup .orig "$file" >out 2>err || fail "$file --backup: exit $?: $(cat err)"
  kept=$(stat -c '%a' "$file.orig")
  case $mode in 755) wanted=644 ;; 664) wanted=644 ;; *) wanted=$mode ;; esac
  [ "$kept" = "$wanted" ] || fail "$file: its backup's mode is $kept, not $wanted"
  cmp -s "$file.orig" "$data/animals.txt" || fail "$file.orig does not hold the original"
  echo "ok: $file kept '$after'${attributes:+ and its extended attribute}, its backup $kept"
done
[ "$(ls -A | grep -c '^\.palimp-')" = 0 ] || fail "left behind: $(ls -A)"
