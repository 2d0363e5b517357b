#!/usr/bin/env bash
# `listsong add` over a small tree: a line per folder when not on a terminal,
# the rows stored; a failure names its cause, folder and file and exits 1;
# a missing option is a usage error (exit 2).
#   add-command.sh LISTSONG
set -uo pipefail
listsong=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

for folder in pop rock; do
    mkdir -p "$work/midi/$folder" "$work/cur/$folder" "$work/lyr/$folder"
done
for song in pop/0001 pop/0002 rock/0003; do
    : >"$work/midi/$song.mid"
    : >"$work/cur/$song.cur"
    printf 'Title %s\r\nArtist\r\n' "${song#*/}" >"$work/lyr/$song.Lyr"
done
"$listsong" create "$work/LISTSONG.mdb" >/dev/null || fail "create"

out=$("$listsong" add --midi "$work/midi" --cur "$work/cur" --lyr "$work/lyr" \
    --db "$work/LISTSONG.mdb" --codepage 874) || fail "add exited with $?"
expected="$work/midi/pop: 2 songs
$work/midi/rock: 1 song"
[[ "$(head -2 <<<"$out")" == "$expected" ]] || fail "per-folder lines: $out"
grep -q '^stored 3 songs from 2 folders' <<<"$out" || fail "summary: $out"
rows=$("$listsong" dump "$work/LISTSONG.mdb" Song --codepage 874 | tail -n +2 | cut -d, -f2-4)
[[ "$rows" == $'0001,Title 0001,Artist\n0002,Title 0002,Artist\n0003,Title 0003,Artist' ]] ||
    fail "rows: $rows"

rm "$work/lyr/rock/0003.Lyr"
mkdir "$work/lyr/rock/0003.Lyr"
: >"$work/lyr/rock/0003.lyr.txt"
err=$("$listsong" add --midi "$work/midi" --cur "$work/cur" --lyr "$work/lyr" \
    --db "$work/LISTSONG.mdb" --codepage 874 2>&1 >/dev/null)
status=$?
[[ $status -eq 1 ]] || fail "a failing run exited with $status"
grep -q "folder $work/midi/rock" <<<"$err" || fail "the folder is not named: $err"
grep -q "0003.mid" <<<"$err" || fail "the file is not named: $err"
[[ $("$listsong" dump "$work/LISTSONG.mdb" Song | wc -l) -eq 6 ]] || fail "rows before the failure"
"$listsong" check "$work/LISTSONG.mdb" --codepage 874 >/dev/null || fail "check after the failure"

"$listsong" add --midi "$work/midi" --cur "$work/cur" >/dev/null 2>&1
status=$?
[[ $status -eq 2 ]] || fail "a missing --lyr exited with $status"
echo "ok"
