#!/bin/sh
# The real palimp-replace told to stop in the middle of -i, and two of them rewriting one file
# at once: what a user's shell and a second terminal would do.
#
#   fault_check.sh DATA_DIR PROGRAM
#
# Regressions: SIGINT, SIGTERM, SIGHUP (and later SIGQUIT) during -i left the unfinished file of hundreds of MB
# beside the target; two -i runs with different tables on one file both exited 0 and one
# table's changes were gone.
set -u
ulimit -c 0 2>/dev/null  # SIGQUIT below would dump core
data=$1 program=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
cp "$data/animals.palimp" .
fail() { echo "$*" >&2; exit 1; }

# A 300 MB file of NULs (sparse): long enough to be caught with its new content unfinished.
# A background job of a script starts with SIGINT and SIGQUIT ignored, as a terminal's Ctrl+C is not
# its business; env gives it the default back, as a job of an interactive shell has it.
for case in INT:2 TERM:15 HUP:1 QUIT:3; do
  signal=${case%:*} number=${case#*:}
  rm -f big.txt && truncate -s 300M big.txt
  env --default-signal=INT,QUIT "$program" -t animals.palimp -i big.txt 2>err &
  pid=$!
  tries=0
  until ls -A | grep -q '^\.palimp-.*\.tmp$'; do
    tries=$((tries + 1))
    [ $tries -gt 2000 ] && fail "SIG$signal: no unfinished file seen"
    kill -0 $pid 2>/dev/null || fail "SIG$signal: finished before it could be stopped"
    sleep 0.005
  done
  kill -s $signal $pid
  wait $pid
  status=$?
  [ $status = $((128 + number)) ] || fail "SIG$signal: exit status $status, expected $((128 + number))"
  [ "$(ls -A | grep -v -e animals.palimp -e err)" = big.txt ] || fail "SIG$signal: left behind: $(ls -A)"
  cmp -s -n 314572800 big.txt /dev/zero && [ "$(wc -c <big.txt)" = 314572800 ] || fail "SIG$signal: the file changed"
  echo "ok: SIG$signal removed the unfinished file, exit $status"
done
rm -f big.txt

# Two tables at once, three times: each run's change is kept, or the later one says it lost
# the race and writes nothing.
awk 'BEGIN { for (i = 0; i < 2000000; i++) printf "cat hat " }' >text.txt
printf '\377\376#\000#\000\r\000\n\000c\000a\000t\000\t\000d\000o\000g\000\t\000W\000' >cat.palimp
printf '\377\376#\000#\000\r\000\n\000h\000a\000t\000\t\000c\000a\000p\000\t\000W\000' >hat.palimp
for trial in 1 2 3; do
  cp text.txt both.txt
  "$program" -t cat.palimp -i both.txt 2>err1 & one=$!
  "$program" -t hat.palimp -i both.txt 2>err2 & two=$!
  wait $one; s1=$?
  wait $two; s2=$?
  head=$(head -c 8 both.txt)
  case "$s1$s2:$head" in
    00:"dog cap "|10:"cat cap "|01:"dog hat ") ;;
    *) fail "trial $trial: exits $s1 $s2, file starts '$head'; $(cat err1 err2)" ;;
  esac
  [ $s1$s2 = 00 ] || grep -q "changed by another program meanwhile; nothing written" err1 err2 ||
    fail "trial $trial: the failing run does not say why: $(cat err1 err2)"
  echo "ok: trial $trial: exits $s1 $s2, file starts '$head'"
done
