#!/usr/bin/env bash
# The bash completion knows every option --help lists, and no other, and completes what
# they take: values of --encoding and --ansi, table files after -t.
#
#   completion_check.sh PALIMP_REPLACE COMPLETION_SCRIPT
set -u
program=$1
source "$2"
status=0

help_options=$(LC_ALL=C "$program" --help | grep -E '^  -|^      --' |
               grep -oE '(^|[ ,])--?[a-zA-Z][-a-z0-9]*' | tr -d ' ,' | sort -u)
# The options the script offers for a lone "-".
complete_words() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _palimp_replace
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
offered=$(complete_words palimp-replace -)
if [[ "$offered" != "$help_options" ]]; then
  echo "options differ (< help, > completion):" >&2
  diff <(echo "$help_options") <(echo "$offered") >&2
  status=1
fi

cd "$(mktemp -d)" && touch us.palimp notes.txt
while IFS='|' read -r words expected; do
  read -ra split <<<"$words"
  [[ "$words" == *" " ]] && split+=("")  # the word being typed is still empty
  got=$(complete_words palimp-replace "${split[@]}" | tr '\n' ' ')
  if [[ "$got" != "$expected" ]]; then
    echo "'palimp-replace $words': '$got', expected '$expected'" >&2
    status=1
  fi
done <<'CASES'
--enc|--encoding 
--encoding u|utf16le utf8 
--ansi |1252 utf8 
-t |us.palimp 
--table u|us.palimp 
-o n|notes.txt 
-q n|notes.txt 
CASES
[[ $status -eq 0 ]] && echo "ok: the completion agrees with --help"
exit $status
