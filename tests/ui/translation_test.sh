#!/bin/sh
# The English translation is complete and current: lupdate over the sources changes nothing in
# i18n/orveltool_en.ts (a text added, changed or dropped without scripts/update-translations
# fails here), and lrelease finds every text translated.
# Usage: translation_test.sh SOURCE_DIR
set -eu
source=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/orveltool-ts.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$source/i18n/orveltool_en.ts" "$work/orveltool_en.ts"
"$source/scripts/update-translations" "$work/orveltool_en.ts"
if ! diff -u "$source/i18n/orveltool_en.ts" "$work/orveltool_en.ts" >"$work/diff"; then
    head -n 40 "$work/diff" >&2
    echo "FAILED: i18n/orveltool_en.ts is not up to date: run scripts/update-translations and translate" >&2
    exit 1
fi
lrelease=/usr/lib/qt6/bin/lrelease
[ -x "$lrelease" ] || lrelease=$(command -v lrelease)
report=$("$lrelease" "$work/orveltool_en.ts" -qm "$work/orveltool_en.qm")
echo "$report"
echo "$report" | grep -q ' 0 unfinished)' && ! grep -q '<translation></translation>' "$work/orveltool_en.ts" || {
    echo "FAILED: untranslated texts in i18n/orveltool_en.ts" >&2
    exit 1
}
