#!/usr/bin/env bash
# The manual pages and the bash completion are made from the programs' own --help: whatever
# option a program lists must reach both, and --version must print the project's version.
#   packaging_test.sh SOURCE_DIR BIN_DIR VERSION
set -uo pipefail
source_dir=$1 bin=$2 version=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY

# --- versions: the window's needs no display -------------------------------------------------
for program in orveltool orvelctl orvelsim; do
    printed=$("$bin/$program" --version 2>"$work/err")
    [ "$printed" = "$program $version" ] ||
        fail "$program --version printed '$printed' ($(head -c 200 "$work/err"))"
done

# --- manual pages ----------------------------------------------------------------------------
# The option names of a --help: the words before the description on lines that start with one.
options_of() {
    "$@" --help 2>/dev/null | awk '/^  +-/ {
        t = $0; sub(/^ +/, "", t)
        if (match(t, /   */)) t = substr(t, 1, RSTART - 1)
        n = split(t, w, " ")
        for (i = 1; i <= n; i++) if (w[i] ~ /^-/) { sub(/,$/, "", w[i]); print w[i] }
    }'
}
commands=$("$bin/orvelctl" --help | awk '/^  [a-z][a-z-]*  +[^ ]/ { print $1 }')
[ "$(wc -w <<<"$commands")" -ge 6 ] || fail "orvelctl --help lists only: $commands"

for program in orveltool orvelctl orvelsim; do
    page=$work/$program.1
    if ! "$source_dir/packaging/manpage" "$bin/$program" "$source_dir/packaging/man/$program.1.in" \
        "$page" "$version"; then
        fail "no manual page for $program"
        continue
    fi
    # A placeholder is @NAME@; a URL's user@host is text.
    grep -qE '@[A-Z_]+@' "$page" && fail "$program.1 keeps a placeholder: $(grep -m1 -E '@[A-Z_]+@' "$page")"
    grep -q "^\.TH .*OrvelTool $version" "$page" || fail "$program.1 does not name version $version"
    if [ "$program" = orvelctl ]; then
        for command in $commands; do
            # The command's own subsection, up to the next one.
            section=$(awk -v c="$command" '/^\.S[SH] / { on = ($0 == ".SS " c) } on' "$page")
            [ -n "$section" ] || { fail "orvelctl.1 has no subsection $command"; continue; }
            for option in $(options_of "$bin/orvelctl" "$command"); do
                grep -qF -- "\\fB${option//-/\\-}\\fR" <<<"$section" ||
                    fail "orvelctl.1: $command lacks $option"
            done
        done
    else
        section=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$page")
        for option in $(options_of "$bin/$program"); do
            grep -qF -- "\\fB${option//-/\\-}\\fR" <<<"$section" || fail "$program.1 lacks $option"
        done
    fi
done

# --- bash completion -------------------------------------------------------------------------
# shellcheck source=/dev/null
source "$source_dir/packaging/orvelctl.bash"
# Completes the words given, the last one being the word under the cursor.
complete_words() {
    COMP_WORDS=("$bin/orvelctl" "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _orvelctl 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}" | sort
}
same() { [ "$(sort <<<"$2")" = "$(sort <<<"$3")" ] || fail "$1: got [$(echo $2)], want [$(echo $3)]"; }

same "commands" "$(complete_words '')" "$(printf '%s\n' $commands --help --version)"
same "commands from r" "$(complete_words r)" "$(printf '%s\n' read record)"
for command in $commands; do
    same "$command options" "$(complete_words "$command" --)" \
        "$(printf '%s\n' $(options_of "$bin/orvelctl" "$command") --help | sort -u)"
done
same "read --format" "$(complete_words read --format '')" "$(printf '%s\n' csv json text)"
# The channel command has no CSV form: the choices come from its own usage line.
same "channel --format" "$(complete_words channel --simulate --format '')" "$(printf '%s\n' json text)"
same "channel --set" "$(complete_words channel --set '')" ""

mkdir -p "$work/files/radios"
touch "$work/files/a.dat" "$work/files/b.JSON" "$work/files/c.csv" "$work/files/notes.txt" \
    "$work/files/site.ini"
cd "$work/files" || exit 1
same "files for show" "$(complete_words show '')" "$(printf '%s\n' a.dat b.JSON c.csv radios)"
same "files after an option" "$(complete_words write --simulate '')" \
    "$(printf '%s\n' a.dat b.JSON c.csv radios)"
same "any file for --config" "$(complete_words convert --config s)" "site.ini"

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "packaging: manual pages, completion and versions agree with --help"
