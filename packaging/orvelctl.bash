# bash completion for orvelctl.
# The commands, their options and the values an option takes are read from orvelctl's own
# --help, so a new command or option completes as soon as its help lists it:
#   overview:   "  NAME     what it does"
#   a command:  "  --option VALUE   what it does", and "--option a|b|c" in its usage line.

_orvelctl_help() {
    # One orvelctl run per text and shell; completion asks for the same text at every key.
    local key="$1|$2"
    if [[ -z ${_orvelctl_cache[$key]+set} ]]; then
        _orvelctl_cache[$key]=$("$1" ${2:+"$2"} --help 2>/dev/null)
    fi
    printf '%s\n' "${_orvelctl_cache[$key]}"
}

_orvelctl() {
    declare -gA _orvelctl_cache
    local program=${COMP_WORDS[0]/#\~/$HOME} cur=${COMP_WORDS[COMP_CWORD]}
    local prev= command= help i
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} != -* ]]; then
            command=${COMP_WORDS[i]}
            break
        fi
    done

    if [[ -z $command ]]; then
        local commands
        commands=$(_orvelctl_help "$program" "" | awk '/^  [a-z][a-z-]*  +[^ ]/ { print $1 }')
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    help=$(_orvelctl_help "$program" "$command")
    # The option before the cursor takes a value: its name in the help says which kind.
    local value
    value=$(awk -v opt="$prev" '$1 == opt && /^  +-/ && $2 ~ /^[A-Z<]/ { print $2; exit }' <<<"$help")
    if [[ -n $value ]]; then
        local choices
        choices=$(grep -o -- "$prev [a-z0-9]*|[a-z0-9|]*" <<<"$help" | head -n 1)
        if [[ -n $choices ]]; then
            choices=${choices#"$prev "}
            COMPREPLY=($(compgen -W "${choices//|/ }" -- "$cur"))
            return
        fi
        case $value in
        DEV)
            COMPREPLY=($(compgen -W "$("$program" ports 2>/dev/null)" -- "$cur"))
            ;;
        FILE* | INI | IN | OUT | PATH | DIR)
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -f -- "$cur"))
            ;;
        esac
        return
    fi

    if [[ $cur == -* ]]; then
        local options
        # A help line may name several options ("--before, --after") and one option may have
        # a line in two sections: every name before the description, each once.
        options=$(awk '/^  +-/ {
            t = $0; sub(/^ +/, "", t)
            if (match(t, /   */)) t = substr(t, 1, RSTART - 1)
            n = split(t, w, " ")
            for (i = 1; i <= n; i++) if (w[i] ~ /^-/) { sub(/,$/, "", w[i]); print w[i] }
        }' <<<"$help" | sort -u)
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
        return
    fi
    # Anything else is a file: the channel files and tables the commands read and write.
    compopt -o filenames 2>/dev/null
    local name
    while IFS= read -r name; do
        if [[ -d $name || ${name,,} == *.dat || ${name,,} == *.json || ${name,,} == *.csv ]]; then
            COMPREPLY+=("$name")
        fi
    done < <(compgen -f -- "$cur")
}

complete -F _orvelctl orvelctl
