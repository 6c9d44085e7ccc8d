#!/bin/sh
# orvelctl.exe as a technician runs it, against its built-in virtual radio, under wine:
# read, write with verify, show and convert, the programming records of the two, and a bad
# file refused with its exit code.
# Usage: windows_process_test.sh EMULATOR ORVELCTL.EXE VERSION
set -eu
emulator=$1
ctl=$2
version=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/orvelctl-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# Console output on Windows ends its lines with CR LF. The program's exit code is run's own.
run() {
    code=0
    "$emulator" "$ctl" "$@" >raw.txt || code=$?
    tr -d '\r' <raw.txt
    return $code
}

[ "$(run --version)" = "orvelctl $version" ] || fail "--version printed '$(run --version)'"

# The records of this run, among those of other tests in the same Windows user's folder.
unit="windows-$$"
run read --simulate --out read.dat --unit "$unit" >read.txt || fail "read --simulate exit $?"
[ "$(wc -c <read.dat)" -eq 260 ] || fail "read.dat holds $(wc -c <read.dat) bytes, not 260"
grep -q . read.txt || fail "read printed nothing"

run convert read.dat read.json >/dev/null || fail "convert to .json"
run convert read.json back.dat >/dev/null || fail "convert back to .dat"
run show read.dat --format csv >a.csv || fail "show read.dat"
run show back.dat --format csv >b.csv || fail "show back.dat"
cmp -s a.csv b.csv || fail "the .dat made from the .json shows other channels"

run write --simulate read.json --verify --unit "$unit" >write.txt 2>&1 ||
    fail "write --verify exit $?: $(cat write.txt)"
if grep -q "programming record" write.txt; then fail "write said: $(cat write.txt)"; fi

run record list --unit "$unit" >records.txt 2>record-err.txt ||
    fail "record list exit $?: $(cat record-err.txt)"
[ "$(cut -f3,4,7 records.txt)" = "$(printf 'write\t%s\tverified\nread\t%s\tok' "$unit" "$unit")" ] ||
    fail "record list, newest first, showed: $(cat records.txt)"

printf 'not a channel file' >bad.dat
status=0
run show bad.dat >/dev/null 2>&1 || status=$?
[ "$status" -eq 3 ] || fail "show of a bad file exited $status, not 3"
echo "orvelctl.exe: version, read, convert, show, write --verify, their records and a bad file" \
    "all as expected"
