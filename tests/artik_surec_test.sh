#!/usr/bin/env bash
# The watcher of leftover processes: a test that orphans a process fails, names the process,
# and leaves nothing running. Argument: the artik_ornegi executable.
set -uo pipefail
# Into a file, not a pipe: a leftover holding the pipe's end would keep a reader waiting.
kayit=$(mktemp)
trap 'rm -f "$kayit"' EXIT
"$1" >"$kayit" 2>&1
durum=$?
cikti=$(cat "$kayit")
[ "$durum" -ne 0 ] || { echo "a test that leaves a process behind passed"; exit 1; }
grep -Eq "the test left a process running: [0-9]+ sleep 307" <<<"$cikti" || { echo "the leftover was not named:"; echo "$cikti"; exit 1; }
if pgrep -f "^sleep 30[7]$" >/dev/null; then echo "the leftover is still running"; pkill -f "^sleep 30[7]$"; exit 1; fi
echo "the leftover was named and ended"
