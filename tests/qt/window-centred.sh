#!/usr/bin/env bash
# The window opens with its whole outer frame, caption bar and borders of the
# window manager included, centred on the screen: under Openbox on a virtual X
# display (Xvfb), the frame's left and top are (screen - outer size) / 2,
# within a pixel. Skipped (exit 77) when Xvfb, Openbox or the X tools are
# missing (scripts/setup installs them).
#   window-centred.sh LISTSONG_WINDOW
set -uo pipefail
program=$(realpath "$1")
title="Update Database For Zellowind"
for tool in Xvfb openbox xwininfo xprop; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
fail() { echo "FAILED: $*"; exit 1; }

number=120
while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do
    number=$((number + 1))
done
export DISPLAY=:$number
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

work=$(mktemp -d)
pids=()
stop_all() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null
        wait "${pids[i]}" 2>/dev/null
    done
    rm -rf "$work"
}
trap stop_all EXIT

# Waits up to ten seconds for a command to succeed.
wait_for() {
    for _ in $(seq 50); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    fail "gave up waiting for: $*"
}

Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
wait_for test -e "/tmp/.X11-unix/X$number"
openbox >/dev/null 2>&1 &
pids+=($!)
wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
(cd "$work" && exec "$program") 2>"$work/err" &
pids+=($!)
# The window manager has framed the window once it set the frame's extents.
wait_for sh -c "xprop -name '$title' _NET_FRAME_EXTENTS | grep -q ' = '"
sleep 0.5  # any later move of the window would come now

# The client area's place and size, the frame's extents and the screen's size.
field() { sed -n "s/^ *$1: *\\(-\\?[0-9]*\\).*/\\1/p"; }
client=$(xwininfo -name "$title")
x=$(field "Absolute upper-left X" <<<"$client")
y=$(field "Absolute upper-left Y" <<<"$client")
width=$(field Width <<<"$client")
height=$(field Height <<<"$client")
read -r left right top bottom < <(xprop -name "$title" _NET_FRAME_EXTENTS |
    sed 's/.* = //; s/,/ /g')
screen=$(xwininfo -root)
screen_width=$(field Width <<<"$screen")
screen_height=$(field Height <<<"$screen")

outer_width=$((width + left + right))
outer_height=$((height + top + bottom))
frame_left=$((x - left))
frame_top=$((y - top))
# Twice the expected place, so that half pixels stay exact.
within_a_pixel() { (( $1 * 2 - $2 >= -2 && $1 * 2 - $2 <= 2 )); }
report="screen ${screen_width}x$screen_height, outer ${outer_width}x$outer_height, frame at $frame_left,$frame_top"
(( top > 0 )) || fail "the window manager drew no caption bar: $report"
within_a_pixel "$frame_left" $((screen_width - outer_width)) || fail "not centred across: $report"
within_a_pixel "$frame_top" $((screen_height - outer_height)) || fail "not centred down: $report"
echo "ok: $report"
