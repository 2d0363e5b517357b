#!/usr/bin/env bash
# `listsong add` over a small tree: a line per folder when not on a terminal,
# the rows stored; a second run skips every song stored already; --map-path
# stores the paths as another machine finds them, and a run with the same
# folders written in other case and separators skips them; every run leaves a
# line in listsong.log; a failure names its cause, folder and file and exits
# 1; a catalogue that is not there is told with how to make one; a missing
# option is a usage error (exit 2).
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
folders=(--midi "$work/midi" --cur "$work/cur" --lyr "$work/lyr")

# A catalogue that is not there: nothing is made, and the message says how.
err=$("$listsong" add "${folders[@]}" --db "$work/LISTSONG.mdb" 2>&1 >/dev/null)
status=$?
[[ $status -eq 1 ]] || fail "an add without a catalogue exited with $status"
[[ "$err" == "listsong: no catalogue at $work/LISTSONG.mdb: make one with \`listsong create $work/LISTSONG.mdb\`, or name another with --db" ]] ||
    fail "without a catalogue: $err"
[[ ! -e "$work/LISTSONG.mdb" && ! -e "$work/listsong.log" ]] || fail "an add without a catalogue wrote"

"$listsong" create "$work/LISTSONG.mdb" >/dev/null || fail "create"
out=$("$listsong" add "${folders[@]}" --db "$work/LISTSONG.mdb" --codepage 874) ||
    fail "add exited with $?"
expected="$work/midi/pop: 2 songs stored, 0 skipped
$work/midi/rock: 1 song stored, 0 skipped"
[[ "$(head -2 <<<"$out")" == "$expected" ]] || fail "per-folder lines: $out"
grep -q "^stored 3 songs from 2 folders, skipped 0 songs already in the catalogue, in .* s into $work/LISTSONG.mdb\$" <<<"$out" ||
    fail "summary: $out"
rows=$("$listsong" dump "$work/LISTSONG.mdb" Song --codepage 874 | tail -n +2 | cut -d, -f2-5)
[[ "$rows" == "0001,Title 0001,Artist,$work/midi/pop/0001.mid
0002,Title 0002,Artist,$work/midi/pop/0002.mid
0003,Title 0003,Artist,$work/midi/rock/0003.mid" ]] || fail "rows: $rows"

# The same folders again: every song is in the catalogue already.
out=$("$listsong" add "${folders[@]}" --db "$work/LISTSONG.mdb" --codepage 874) ||
    fail "the second add exited with $?"
expected="$work/midi/pop: 0 songs stored, 2 skipped
$work/midi/rock: 0 songs stored, 1 skipped"
[[ "$(head -2 <<<"$out")" == "$expected" ]] || fail "per-folder lines of the second add: $out"
grep -q '^stored 0 songs from 2 folders, skipped 3 songs already in the catalogue, in ' <<<"$out" ||
    fail "summary of the second add: $out"
[[ "$("$listsong" dump "$work/LISTSONG.mdb" Song --codepage 874 | tail -n +2 | cut -d, -f2-5)" == "$rows" ]] ||
    fail "the second add changed the rows"

# One line per run beside the catalogue: the folders, the counts, the result.
log=$(cut -f2- "$work/listsong.log")
[[ "$log" == "midi $work/midi	cur $work/cur	lyr $work/lyr	stored 3	skipped 0	ok
midi $work/midi	cur $work/cur	lyr $work/lyr	stored 0	skipped 3	ok" ]] || fail "log: $log"

# Paths for the player's machine: the longest FROM that holds a path wins.
"$listsong" create "$work/mapped.mdb" >/dev/null || fail "create mapped.mdb"
maps=(--map-path "$work=D:\\Karaoke" --map-path "$work/lyr/=E:\\Lyrics\\")
"$listsong" add "${folders[@]}" --db "$work/mapped.mdb" "${maps[@]}" >/dev/null ||
    fail "add with --map-path exited with $?"
rows=$("$listsong" dump "$work/mapped.mdb" Song | tail -n +2 | cut -d, -f5-7)
[[ "$rows" == 'D:\Karaoke\midi\pop\0001.mid,D:\Karaoke\cur\pop\0001.cur,E:\Lyrics\pop\0001.Lyr
D:\Karaoke\midi\pop\0002.mid,D:\Karaoke\cur\pop\0002.cur,E:\Lyrics\pop\0002.Lyr
D:\Karaoke\midi\rock\0003.mid,D:\Karaoke\cur\rock\0003.cur,E:\Lyrics\rock\0003.Lyr' ]] ||
    fail "mapped rows in dump: $rows"
exported=$(mdb-export "$work/mapped.mdb" Song | tail -n +2 | cut -d, -f5)
[[ "$exported" == '"D:\Karaoke\midi\pop\0001.mid"
"D:\Karaoke\midi\pop\0002.mid"
"D:\Karaoke\midi\rock\0003.mid"' ]] || fail "mapped rows in mdb-export: $exported"

# A Windows path names the same file in any case and with either separator.
out=$("$listsong" add "${folders[@]}" --db "$work/mapped.mdb" --map-path "$work=d:/KARAOKE") ||
    fail "add with a differently written mapping exited with $?"
grep -q '^stored 0 songs from 2 folders, skipped 3 songs' <<<"$out" ||
    fail "the same songs under another spelling of D:\\Karaoke: $out"

# A failure: the new song 0004's lyric file, UTF-16 by its mark, ends in
# half a character.
: >"$work/midi/rock/0004.mid"
: >"$work/cur/rock/0004.cur"
printf '\377\376T' >"$work/lyr/rock/0004.Lyr"
err=$("$listsong" add "${folders[@]}" --db "$work/LISTSONG.mdb" --codepage 874 2>&1 >/dev/null)
status=$?
[[ $status -eq 1 ]] || fail "a failing run exited with $status"
grep -q "folder $work/midi/rock" <<<"$err" || fail "the folder is not named: $err"
grep -q "file 0004.mid: .*0004.Lyr: the UTF-16 lyric file ends in half a character" <<<"$err" ||
    fail "the file or the cause is not named: $err"
[[ $("$listsong" dump "$work/LISTSONG.mdb" Song | wc -l) -eq 4 ]] || fail "rows after the failure"
"$listsong" check "$work/LISTSONG.mdb" --codepage 874 >/dev/null || fail "check after the failure"
tail -1 "$work/listsong.log" | grep -q "	stored 0	skipped 3	failed: .*0004.mid" ||
    fail "the failure's log line: $(tail -1 "$work/listsong.log")"

"$listsong" add --midi "$work/midi" --cur "$work/cur" >/dev/null 2>&1
status=$?
[[ $status -eq 2 ]] || fail "a missing --lyr exited with $status"
echo "ok"
