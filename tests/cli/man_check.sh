#!/bin/sh
# The manual page says what --help says: every paragraph and every option of the help, with
# its words in order, is in the page as man renders it.
#
#   man_check.sh PALIMP_REPLACE PAGE.1
set -u
program=$1 page=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One line of words: blanks and line breaks collapsed, the note of the platform's default
# code page, which the page words for every platform, left out.
flatten() { tr '\n' ' ' | sed -e 's/(default[^)]*)//g' -e 's/  */ /g'; }

if ! MANWIDTH=80 LC_ALL=C.UTF-8 man -l "$page" >"$work/man.txt" 2>"$work/man.err"; then
  echo "man -l failed:" >&2
  cat "$work/man.err" >&2
  exit 1
fi
flatten <"$work/man.txt" >"$work/man.flat"

# The help in blocks: paragraphs, and each option with its description; the usage lines
# without their "Usage:" and "or:".
LC_ALL=C "$program" --help | sed -e 's/^Usage: \(.*\)$/\1\n/' -e 's/^   or: \(.*\)$/\1\n/' | awk '
  /^$/ { if (block != "") print block; block = ""; next }
  /^  -|^      --/ { if (block != "") print block; block = $0; next }
  { block = block " " $0 }
  END { if (block != "") print block }' >"$work/blocks"

status=0
blocks=0
while IFS= read -r block; do
  blocks=$((blocks + 1))
  flat=$(printf '%s' "$block" | flatten | sed -e 's/^ //' -e 's/ $//')
  if ! grep -qF -- "$flat" "$work/man.flat"; then
    echo "not in the manual page: $flat" >&2
    status=1
  fi
done <"$work/blocks"
[ "$blocks" -gt 20 ] || { echo "only $blocks blocks of help found" >&2; status=1; }
[ $status -eq 0 ] && echo "ok: $blocks blocks of --help in the manual page"
exit $status
