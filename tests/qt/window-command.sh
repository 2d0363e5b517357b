#!/usr/bin/env bash
# `listsong-window`'s command line through the program: --help prints the
# usage on stdout and exits 0, and a wrong argument prints its cause and the
# usage on stderr and exits 2, both without a display; a stray argument that
# Qt does not take is refused the same way once Qt has taken its own; Qt's
# options and the window's together open the window.
#   window-command.sh LISTSONG_WINDOW
set -uo pipefail
program=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
# Qt warns on stderr without a runtime folder of the user's own.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
usage_first_line="usage: listsong-window [--db FILE] [--codepage N] [--map-path FROM=TO]..."

"${no_display[@]}" "$program" --help >"$work/out" 2>"$work/err"
status=$?
[[ $status -eq 0 ]] || fail "--help exited with $status: $(cat "$work/err")"
[[ $(head -n 1 "$work/out") == "$usage_first_line" ]] || fail "--help stdout: $(cat "$work/out")"
[[ ! -s "$work/err" ]] || fail "--help stderr: $(cat "$work/err")"

# Expects exit 2, the cause on stderr's first line and the usage after it.
expect_refused() {
    local cause=$1
    shift
    "$@" >"$work/out" 2>"$work/err"
    local status=$?
    [[ $status -eq 2 ]] || fail "$* exited with $status: $(cat "$work/err")"
    [[ $(head -n 1 "$work/err") == "listsong-window: $cause" ]] || fail "$* stderr: $(cat "$work/err")"
    [[ $(sed -n 2p "$work/err") == "$usage_first_line" ]] || fail "$* gave no usage: $(cat "$work/err")"
    [[ ! -s "$work/out" ]] || fail "$* stdout: $(cat "$work/out")"
}

expect_refused "--codepage needs the number of a supported code page (874, 1250 to 1258), not '99'" \
    "${no_display[@]}" "$program" --codepage 99
expect_refused "unknown argument 'songs.mdb'" "${no_display[@]}" "$program" songs.mdb
expect_refused "--db needs a value" "${no_display[@]}" "$program" --codepage 874 --db
expect_refused "unknown argument '-no-such-qt-option'" \
    env QT_QPA_PLATFORM=offscreen "$program" -no-such-qt-option

# A window that opens runs until it is stopped: timeout's status 124. The
# platform named in the environment passes the display check; Qt's -platform
# overrides it, so the window opens only if Qt took its option.
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=minimal \
    timeout 3 "$program" -platform offscreen --db "$work/songs.mdb" --codepage 874 \
    --map-path /media/usb=D:\\ >"$work/out" 2>"$work/err")
status=$?
[[ $status -eq 124 ]] || fail "a valid command line exited with $status: $(cat "$work/err")"
echo "ok"
