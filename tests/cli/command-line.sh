#!/usr/bin/env bash
# The command line around the commands: the overview and each command's help
# on stdout with exit 0, the version, and the common mistakes: a usage error
# says its cause once with the fix, then the usage that applies, and exits 2;
# a catalogue, CSV file or folder that is not there says how to put it right
# and exits 1 before anything is opened.
#   command-line.sh LISTSONG VERSION
set -uo pipefail
listsong=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

# Runs listsong with the arguments; sets out, err and status.
run() {
    out=$("$listsong" "$@" 2>"$work/err")
    status=$?
    err=$(cat "$work/err")
}

# Help: exit 0, on stdout, nothing on stderr.
expect_help() {
    [[ $status -eq 0 && -n "$out" && -z "$err" ]] ||
        fail "help exited with $status, stdout '$out', stderr '$err'"
}

run --help
expect_help
overview=$out
[[ "$(head -1 <<<"$overview")" == "usage: listsong COMMAND [ARGUMENTS]" ]] || fail "overview: $overview"
for command in create info dump check import add help; do
    grep -q "^  $command " <<<"$overview" || fail "the overview leaves out $command: $overview"
done
for arguments in -h help; do
    run $arguments
    expect_help
    [[ "$out" == "$overview" ]] || fail "listsong $arguments: $out"
done

add_usage="usage: listsong add --midi DIR --cur DIR --lyr DIR [--db FILE] [--codepage N]
                    [--map-path FROM=TO]..."
run help add
expect_help
add_help=$out
[[ "$(head -2 <<<"$add_help")" == "$add_usage" ]] || fail "help add: $add_help"
for option in --midi --cur --lyr --db --codepage --map-path; do
    grep -q "^  $option " <<<"$add_help" || fail "help add leaves out $option: $add_help"
done
grep -q "skipped" <<<"$add_help" || fail "help add does not tell of the songs skipped: $add_help"
for arguments in "add --help" "add -h" "add --midi /nowhere --help"; do
    run $arguments
    expect_help
    [[ "$out" == "$add_help" ]] || fail "listsong $arguments: $out"
done
for command in create info dump check import; do
    run help "$command"
    expect_help
    [[ "$(head -1 <<<"$out")" == "usage: listsong $command FILE"* ]] || fail "help $command: $out"
    help=$out
    run "$command" --help
    [[ $status -eq 0 && "$out" == "$help" ]] || fail "$command --help: $out"
done

run --version
[[ $status -eq 0 && "$out" == "listsong $version" && -z "$err" ]] ||
    fail "--version: status $status, '$out', '$err'"

# A usage error: exit 2, nothing on stdout, one line of cause and fix, then
# a blank line and the usage of the command (the overview when there is none).
expect_usage_error() {
    local message=$1 usage=$2
    [[ $status -eq 2 && -z "$out" ]] || fail "usage error exited with $status, stdout '$out'"
    [[ "$(head -1 <<<"$err")" == "listsong: $message" ]] || fail "message: $err"
    [[ "$(sed -n 2p <<<"$err")" == "" && "$(sed -n 3p <<<"$err")" == "$usage" ]] ||
        fail "the usage after '$message': $err"
    [[ $(grep -c '^listsong:' <<<"$err") -eq 1 ]] || fail "the cause is told twice: $err"
}

commands="create, info, dump, check, import, add or help"
run
expect_usage_error "no command given: name one of $commands" "usage: listsong COMMAND [ARGUMENTS]"
run frob
expect_usage_error "there is no command 'frob': name one of $commands" \
    "usage: listsong COMMAND [ARGUMENTS]"
run help frob
expect_usage_error "there is no command 'frob': name one of $commands" \
    "usage: listsong COMMAND [ARGUMENTS]"
run info "$work/x.mdb" --bogus
expect_usage_error "unknown option '--bogus': use the options listed below" \
    "usage: listsong info FILE [--codepage N]"
run dump "$work/x.mdb" --codepage
expect_usage_error "--codepage needs a value: write --codepage N, N one of 874 (Thai), 1250 to 1258" \
    "usage: listsong dump FILE [TABLE...] [--json] [--codepage N]"
run check "$work/x.mdb" --codepage 99
expect_usage_error "'99' is no code page listsong knows: give --codepage one of 874 (Thai), 1250 to 1258" \
    "usage: listsong check FILE [--codepage N]"
run import "$work/x.mdb" Song
expect_usage_error "import needs FILE TABLE CSV, not 2 arguments: name the catalogue, its table and the CSV file" \
    "usage: listsong import FILE TABLE CSV [--codepage N]"
add_first_line=$(head -1 <<<"$add_usage")
run add --midi --cur "$work" --lyr "$work"
expect_usage_error "--midi needs a value: write --midi DIR" "$add_first_line"
run add --cur "$work"
expect_usage_error "add is missing --midi DIR and --lyr DIR: name the folders whose sub-folders hold the MIDI and lyric files" \
    "$add_first_line"
run add "$work" --midi "$work" --cur "$work" --lyr "$work"
expect_usage_error "add takes no argument '$work' alone: write each folder after its option, as in --midi DIR" \
    "$add_first_line"
run add --midi "$work" --cur "$work" --lyr "$work" --map-path "$work"
expect_usage_error "--map-path needs FROM=TO, a folder of this machine and the same folder as the player finds it, e.g. /media/usb/Karaoke=D:\\Karaoke; got '$work'" \
    "$add_first_line"

# No catalogue: exit 1, the fix names the command that makes one.
expect_failure() {
    local message=$1
    [[ $status -eq 1 && -z "$out" && "$err" == "listsong: $message" ]] ||
        fail "exit $status, stdout '$out', stderr '$err'"
}
missing="$work/no such.mdb"
for arguments in info dump check; do
    run $arguments "$missing"
    expect_failure "no catalogue at $missing: make one with \`listsong create \"$missing\"\`, or name an existing one"
done
run import "$missing" Song "$work/none.csv"
expect_failure "no catalogue at $missing: make one with \`listsong create \"$missing\"\`, or name an existing one"

"$listsong" create "$work/LISTSONG.mdb" >/dev/null || fail "create"
run import "$work/LISTSONG.mdb" Song "$work/none.csv"
expect_failure "no CSV file at $work/none.csv: name the file that holds the rows"

# Folders that are not there, or hold no sub-folders of songs.
mkdir -p "$work/midi/pop" "$work/cur/pop" "$work/lyr"
run add --midi "$work/midi" --cur "$work/cursor" --lyr "$work/lyr" --db "$work/LISTSONG.mdb"
expect_failure "no folder at $work/cursor: name with --cur the folder whose sub-folders hold the cursor files"
run add --midi "$work/midi" --cur "$work/cur" --lyr "$work/lyr" --db "$work/LISTSONG.mdb"
expect_failure "the folder $work/lyr holds no sub-folders, and add stores the songs of sub-folders: name with --lyr the folder above the folders of lyric files"
[[ ! -e "$work/listsong.log" ]] || fail "a refused add was logged"
echo "ok"
