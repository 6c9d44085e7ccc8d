#!/usr/bin/env bash
# The manual's check fails when the manual falls behind the programs: a message without its
# troubleshooting entry, a picture no script takes, a link to nowhere, a part of the window
# nobody sorted, a line of orvelctl's own. Each fault is made in a copy of the tree; the real
# manual must pass as it is.
set -euo pipefail
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fresh() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree/core" "$work/tree/scripts"
    cp -r "$root/doc" "$root/i18n" "$root/link" "$root/ops" "$root/cli" "$work/tree/"
    cp "$root/core/radio_fields.h" "$root/core/report.cpp" "$root/core/vocabulary.h" \
        "$work/tree/core/"
    cp "$root/scripts/manual-check" "$root/scripts/manual-pictures" "$work/tree/scripts/"
}
# expect_failure WHAT TEXT: the check fails and says TEXT.
expect_failure() {
    if python3 "$work/tree/scripts/manual-check" "$work/tree" >"$work/out" 2>&1; then
        echo "FAIL: $1: the check passed"
        failures=$((failures + 1))
    elif ! grep -qF -- "$2" "$work/out"; then
        echo "FAIL: $1: the check did not say '$2':"
        cat "$work/out"
        failures=$((failures + 1))
    else
        echo "ok: $1"
    fi
}

fresh
python3 "$work/tree/scripts/manual-check" "$work/tree" || { echo "FAIL: the manual as it is"; exit 1; }

fresh
sed -i '/^``读取电台数据``/d' "$work/tree/doc/zh_CN/troubleshooting.rst"
expect_failure "a Chinese entry deleted" "doc/zh_CN/troubleshooting.rst: the message '读取电台数据'"

fresh
sed -i '/^``Read radio data``/d' "$work/tree/doc/en/troubleshooting.rst"
expect_failure "an English entry deleted" "doc/en/troubleshooting.rst: the message 'Read radio data'"

fresh
sed -i 's/Search done: no radio answered./Search done./' "$work/tree/doc/en/troubleshooting.rst"
expect_failure "an entry worded unlike the program" "'Search done: no radio answered."

fresh
sed -i 's/^shot finder /# shot finder /' "$work/tree/scripts/manual-pictures"
expect_failure "a picture no longer taken" "doc/zh_CN/ports.rst: the picture finder.png"

fresh
sed -i 's/^installer installer-users /# installer installer-users /' "$work/tree/scripts/manual-pictures"
expect_failure "an installer's page no longer taken" "doc/en/quickstart.rst: the picture installer-users.png"

# reStructuredText prints a literal with its backquotes when a Chinese bracket touches it.
fresh
sed -i 's/``Port``\\ （串口号）/``Port``（串口号）/' "$work/tree/doc/zh_CN/fields.rst"
expect_failure "a literal touching a bracket" "doc/zh_CN/fields.rst:179: \`\`Port\`\` is printed with its backquotes"
fresh
sed -i 's/``Min``\.\.\\ ``Max``/``Min``..``Max``/' "$work/tree/doc/en/troubleshooting.rst"
expect_failure "a literal after a dot" "doc/en/troubleshooting.rst:135: \`\`Max\`\` is printed with its backquotes"
fresh
sed -i 's/``Min``\.\.\\ ``Max``/``Min``%/' "$work/tree/doc/en/troubleshooting.rst"
expect_failure "a literal before a per cent sign" "doc/en/troubleshooting.rst:135: \`\`Min\`\` is printed with its backquotes"

# A message's entry shows a value where the program fills one in.
fresh
sed -i 's/``Records: 4``/``Records: %1``/' "$work/tree/doc/en/troubleshooting.rst"
line=$(grep -n '``Records: %1``' "$work/tree/doc/en/troubleshooting.rst" | cut -d: -f1)
expect_failure "a raw number mark" "doc/en/troubleshooting.rst:$line: a raw %1"

# The English chapters name a label as the English window shows it.
fresh
sed -i 's/7 bits (7位)/7 bit (7位)/' "$work/tree/doc/en/fields.rst"
expect_failure "an English label unlike the window's" "(7位) is '7 bits' in the English window"

# A finder's status is a message too, however short.
fresh
sed -i 's/无应答/无回答/g' "$work/tree/doc/zh_CN/troubleshooting.rst"
expect_failure "a short message left out" "the message '无应答'"

# orvelctl's own lines are English in both chapters, and a new one needs its entry.
fresh
sed -i 's/: no such port``/: no such device``/' "$work/tree/doc/zh_CN/troubleshooting.rst"
expect_failure "an orvelctl line explained in English only" \
    "doc/zh_CN/troubleshooting.rst: orvelctl's ': no such port' (link/serial_port.cpp)"
fresh
sed -i 's|^int RunPorts|static const char* const kSleep = "the radio sleeps: wake it up";\n&|' \
    "$work/tree/cli/ports_command.cpp"
expect_failure "a new line of orvelctl" "doc/en/troubleshooting.rst: orvelctl's 'the radio sleeps: wake it up'"

# A translation file that lost its texts is no pass.
fresh
cat >"$work/tree/i18n/orveltool_en.ts" <<'TS'
<?xml version="1.0" encoding="utf-8"?>
<TS version="2.1" language="en"><context><name>CoreText</name>
<message><source>通信错误</source><translation>Communication error</translation></message>
</context></TS>
TS
expect_failure "no messages to check" "only 1 messages found"

fresh
sed -i 's/:doc:`files`/:doc:`backups`/' "$work/tree/doc/en/quickstart.rst"
expect_failure "a link to no chapter" "doc/en/quickstart.rst: the link to backups names no chapter"

fresh
sed -i 's/:ref:`trouble-write-stopped`/:ref:`write-stopped`/' "$work/tree/doc/zh_CN/quickstart.rst"
expect_failure "a link to no place" "the link to write-stopped names no place"

fresh
sed -i '/^   glossary$/d' "$work/tree/doc/en/index.rst"
expect_failure "a chapter left out of the contents" "doc/en/glossary.rst: not in the table of contents"

fresh
sed -i 's|<name>orvel::FillDialog</name>|<name>LabelDialog</name>|' "$work/tree/i18n/orveltool_en.ts"
expect_failure "a new part of the window" "the context LabelDialog is in no list"

# The reference puts each command's gist in the manual's language before its --help, and
# fails for a command that has none. A stand-in orvelctl prints the help.
printf '#!/bin/sh\n[ "$1" = --help ] && printf "usage\\n  read   x\\n  write  y\\n" || echo "$1 help"\n' \
    >"$work/orvelctl"
chmod +x "$work/orvelctl"
printf 'orvelctl: 全部\nread: 读出\n' >"$work/intro"
if python3 "$root/scripts/manual-reference" "$work/orvelctl" "$work/ref" "$work/intro" 2>"$work/out" ||
    ! grep -q "does not introduce write" "$work/out"; then
    echo "FAIL: a command without its gist"
    failures=$((failures + 1))
fi
echo 'write: 写入' >>"$work/intro"
python3 "$root/scripts/manual-reference" "$work/orvelctl" "$work/ref" "$work/intro"
if ! grep -A3 '^orvelctl write$' "$work/ref/orvelctl.rst" | grep -q '^写入$' ||
    ! grep -q '^    write help$' "$work/ref/orvelctl.rst"; then
    echo "FAIL: the gist before each help:"
    cat "$work/ref/orvelctl.rst"
    failures=$((failures + 1))
else
    echo "ok: the reference's gists"
fi

# The built pages: a link or a picture that does not resolve.
mkdir -p "$work/html/en/pictures"
touch "$work/html/en/pictures/finder.png"
cat >"$work/html/en/index.html" <<'PAGE'
<html><body><a href="ports.html#finder">f</a><img src="pictures/finder.png">
<a href="https://example.org/x">x</a><a href="#top" id="top">t</a></body></html>
PAGE
echo '<html><body><h1 id="finder">F</h1></body></html>' >"$work/html/en/ports.html"
python3 "$root/scripts/manual-check" --html "$work/html" >/dev/null ||
    { echo "FAIL: pages that link well"; failures=$((failures + 1)); }
sed -i 's/ports.html#finder/ports.html#find/; s/finder.png/finders.png/' "$work/html/en/index.html"
if python3 "$root/scripts/manual-check" --html "$work/html" >"$work/out" 2>&1; then
    echo "FAIL: broken links passed"
    failures=$((failures + 1))
elif ! grep -q "ports.html#find$" "$work/out" || ! grep -q "finders.png" "$work/out"; then
    echo "FAIL: broken links not named:"
    cat "$work/out"
    failures=$((failures + 1))
else
    echo "ok: broken links in the pages"
fi
exit $((failures > 0))
