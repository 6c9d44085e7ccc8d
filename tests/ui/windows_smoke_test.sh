#!/bin/sh
# orveltool.exe under wine with the offscreen platform (named on the command line: wine hands
# no QT_ variable to Windows programs): the window starts on its built-in
# virtual radio, reads, changes a channel and writes it (--demo), and leaves a picture; the
# report prints to a PDF through Qt's print support.
# Usage: windows_smoke_test.sh EMULATOR ORVELTOOL.EXE
set -eu
emulator=$1
tool=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/orveltool-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
"$emulator" "$tool" -platform offscreen --simulate --demo --screenshot-delay 6000 --screenshot shot.png >out.txt 2>&1 ||
    fail "the window exited $?: $(cat out.txt)"
[ "$(head -c 4 shot.png | tail -c 3)" = PNG ] || fail "no picture: $(cat out.txt)"
"$emulator" "$tool" -platform offscreen --report-pdf report.pdf >out.txt 2>&1 || fail "--report-pdf exited $?: $(cat out.txt)"
[ "$(head -c 4 report.pdf)" = %PDF ] || fail "no report: $(cat out.txt)"
echo "orveltool.exe: started, read and wrote on the virtual radio, drew its picture, printed"
