#!/usr/bin/env bash
# `listsong import` through the program: the rows stored are counted on
# stdout; a refused row is named once by its line on stderr, after the rows
# before it were stored, with exit 1; a header naming a column twice stores
# nothing.
#   import-command.sh LISTSONG
set -uo pipefail
listsong=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

"$listsong" create "$work/LISTSONG.mdb" >/dev/null || fail "create"
printf 'songID,songName\n0001,One\n0002,"Two\n' >"$work/songs.csv"
out=$("$listsong" import "$work/LISTSONG.mdb" Song "$work/songs.csv" 2>"$work/err")
status=$?
err=$(cat "$work/err")
[[ $status -eq 1 ]] || fail "an unclosed quote exited with $status"
[[ "$out" == "stored 1 row" ]] || fail "stdout: $out"
[[ "$err" == "listsong: $work/songs.csv: line 3: a quoted field is not closed" ]] ||
    fail "stderr: $err"

printf 'songID,SONGID\n0003,0003\n' >"$work/twice.csv"
err=$("$listsong" import "$work/LISTSONG.mdb" Song "$work/twice.csv" 2>&1 >/dev/null)
[[ $? -eq 1 ]] || fail "a column named twice was not refused"
grep -q "column 'songID' is named twice, in fields 1 and 2" <<<"$err" || fail "stderr: $err"
[[ $("$listsong" dump "$work/LISTSONG.mdb" Song | wc -l) -eq 2 ]] || fail "rows after the refusals"
echo "ok"
