#!/usr/bin/env bash
# `listsong dump` of an encoded Access 97 file must fail with exit 1 and say
# on stderr that the file is encoded.
#   refuses-encoded.sh LISTSONG FILE
# Exit 77 (skipped) when FILE is absent.
set -uo pipefail
listsong=$1
file=$2

if [[ ! -f "$file" ]]; then
    echo "skipped: $file is absent (CMake setting LISTSONG_FIXTURES)"
    exit 77
fi

stderr_file=$(mktemp)
trap 'rm -f "$stderr_file"' EXIT
"$listsong" dump --json "$file" >/dev/null 2>"$stderr_file"
status=$?
message=$(cat "$stderr_file")

if [[ $status -ne 1 ]]; then
    echo "listsong dump exited with $status, expected 1; stderr: $message"
    exit 1
fi
if ! grep -qi 'encoded' <<<"$message"; then
    echo "listsong dump refused the file but did not say it is encoded: $message"
    exit 1
fi
echo "refused as expected: $message"
