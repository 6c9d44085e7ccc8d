#!/bin/sh
# A file-size limit (ulimit -f) that a trace outgrows during a read and a write: the window
# carries on and ends by itself, instead of being killed by SIGXFSZ halfway through the write.
# Usage: file_size_limit_test.sh ORVELTOOL
set -eu
tool=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/orveltool-fsize.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
status=0
(
    ulimit -f 2
    QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$work XDG_DATA_HOME=$work HOME=$work \
        "$tool" --simulate --demo --trace trace.txt --screenshot-delay 6000 \
        --screenshot shot.png >out.txt 2>&1
) || status=$?
if [ "$status" -gt 128 ]; then
    echo "FAILED: the window was killed by signal $((status - 128)): $(cat out.txt)" >&2
    exit 1
fi
[ "$(wc -c <trace.txt)" -le 2048 ] || { echo "FAILED: the trace grew past the limit" >&2; exit 1; }
echo "orveltool: outlived its file-size limit (exit $status)"
