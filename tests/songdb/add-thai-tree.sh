#!/usr/bin/env bash
# `listsong add` on a shop's Thai song tree, without --codepage, in a UTF-8
# locale that implies no code page of its own: Thai folder and file names
# (UTF-8), lyric titles in Windows-874 bytes as the player's files hold them,
# and one lyric saved as UTF-8 without a byte-order mark; the first song has
# a plain ASCII path, so its Thai title alone shows the text is Thai. Every row is
# stored with its Thai text; `dump` without --codepage shows it, and
# mdb-export told the catalogue is Windows-874 reads the same.
#   add-thai-tree.sh LISTSONG
set -uo pipefail
listsong=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
export LANG=C.UTF-8
unset LC_ALL LC_CTYPE

# One song: FOLDER, NAME, title, artist, and the lyric file's encoding.
add_song() {
    local folder=$1 name=$2 title=$3 artist=$4 encoding=$5
    mkdir -p "$work/midi/$folder" "$work/cur/$folder" "$work/lyr/$folder"
    : >"$work/midi/$folder/$name.mid"
    : >"$work/cur/$folder/$name.cur"
    printf '%s\r\n%s\r\nla la la\r\n' "$title" "$artist" | iconv -f UTF-8 -t "$encoding" \
        >"$work/lyr/$folder/$name.Lyr" || fail "iconv to $encoding"
}
add_song "00 intro" "0000" "เพลงแรก" "Band" CP874
add_song "01 ลูกทุ่ง" "0001 รักเธอ" "รักเธอ" "นักร้อง" CP874
add_song "01 ลูกทุ่ง" "0002 ทะเล" "ทะเลใจ" "วงดนตรี" UTF-8
add_song "02 เพลงรัก" "0003 ฝน" "ฝนตก" "ศิลปิน" CP874

"$listsong" create "$work/LISTSONG.mdb" >/dev/null || fail "create"
out=$("$listsong" add --midi "$work/midi" --cur "$work/cur" --lyr "$work/lyr" \
    --db "$work/LISTSONG.mdb" 2>&1) || fail "add exited with $?: $out"
grep -q '^stored 4 songs from 3 folders, skipped 0 songs' <<<"$out" || fail "summary: $out"

expected="0000,เพลงแรก,Band,$work/midi/00 intro/0000.mid
0001,รักเธอ,นักร้อง,$work/midi/01 ลูกทุ่ง/0001 รักเธอ.mid
0002,ทะเลใจ,วงดนตรี,$work/midi/01 ลูกทุ่ง/0002 ทะเล.mid
0003,ฝนตก,ศิลปิน,$work/midi/02 เพลงรัก/0003 ฝน.mid"
rows=$("$listsong" dump "$work/LISTSONG.mdb" Song | tail -n +2 | cut -d, -f2-5)
[[ "$rows" == "$expected" ]] || fail "rows in dump: $rows"
rows=$(MDB_JET3_CHARSET=CP874 mdb-export -Q "$work/LISTSONG.mdb" Song | tail -n +2 | cut -d, -f2-5)
[[ "$rows" == "$expected" ]] || fail "rows in mdb-export as Windows-874: $rows"
"$listsong" check "$work/LISTSONG.mdb" >/dev/null || fail "check"
echo "ok"
