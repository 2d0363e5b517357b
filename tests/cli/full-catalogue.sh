#!/usr/bin/env bash
# A catalogue at the end of the Access 97 format, 1 GB: a new catalogue
# stretched with free pages to three pages short of the limit (a sparse file,
# so the disk holds little of it). `import` stores rows until the next one
# needs a page past the limit, then says the catalogue is full and exits 1;
# `add` then stores nothing and says the same. The file never grows past
# 1 GB, every row reported stored is there for mdb-export, and the check
# finds no error.
#   full-catalogue.sh LISTSONG
set -uo pipefail
listsong=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
cd "$work" || exit 1

readonly largest=$((1 << 30))
readonly full_message="the database is full: an Access 97 file ends at 1 GB"

song_rows() { mdb-export LISTSONG.mdb Song | tail -n +2 | wc -l; }

"$listsong" create LISTSONG.mdb >/dev/null || fail "create"
truncate -s $((largest - 3 * 2048)) LISTSONG.mdb || fail "truncate"

awk 'BEGIN { print "songName,artid,MidPath"
             for (i = 1; i <= 30000; i++)
                 printf "Song number %d,Singer %d,/karaoke/songs/midi/folder/%06d.mid\n", i, i, i }' \
    >rows.csv
"$listsong" import LISTSONG.mdb Song rows.csv >out 2>err
status=$?
[[ $status -eq 1 ]] || fail "import of more than fits exited with $status"
grep -q "$full_message" err || fail "import did not say the catalogue is full: $(cat err)"
stored=$(sed -n 's/^stored \([0-9]*\) rows$/\1/p' out)
[[ -n "$stored" && $stored -gt 0 ]] || fail "import did not say what it stored: $(cat out)"
[[ $(song_rows) -eq $stored ]] || fail "mdb-export reads $(song_rows) rows, import stored $stored"
size=$(stat -c %s LISTSONG.mdb)
[[ $size -le $largest ]] || fail "the file grew to $size bytes"
"$listsong" check LISTSONG.mdb >check.out || fail "check after import: $(cat check.out)"

mkdir -p midi/01 cur/01 lyr/01
for n in 1 2 3; do
    printf 'MThd' >midi/01/$n.mid
    printf 'cur' >cur/01/$n.cur
    printf 'Song %s\r\nSinger\r\n' $n >lyr/01/$n.Lyr
done
"$listsong" add --midi midi --cur cur --lyr lyr --db LISTSONG.mdb >out 2>err
status=$?
[[ $status -eq 1 ]] || fail "add into a full catalogue exited with $status"
grep -q "$full_message" err || fail "add did not say the catalogue is full: $(cat err)"
grep -q "failed: .*$full_message" listsong.log || fail "the log does not hold the failure"
[[ $(song_rows) -eq $stored ]] || fail "add changed the rows: $(song_rows), was $stored"
[[ $(stat -c %s LISTSONG.mdb) -le $largest ]] || fail "add grew the file past 1 GB"
"$listsong" check LISTSONG.mdb >check.out || fail "check after add: $(cat check.out)"
echo "full catalogue: $stored rows imported, then refused with the message"
