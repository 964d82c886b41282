# bash completion for zentaro-cli

# Files, with the bash-completion package's helper when it is there.
_zentaro_cli_files() {
    if declare -F _filedir >/dev/null; then
        _filedir "$@"
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}

_zentaro_cli() {
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion -n = || return
    else
        words=("${COMP_WORDS[@]}")
        cword=$COMP_CWORD
        cur=${COMP_WORDS[COMP_CWORD]}
        prev=${COMP_WORDS[COMP_CWORD - 1]}
    fi

    # Options before the command, then the command and its words.
    local i command="" first=0
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} != -* ]]; then
            command=${words[i]}
            first=$i
            break
        fi
    done

    if [[ -z $command ]]; then
        case $cur in
            --simulate=*)
                cur=${cur#--simulate=}
                _zentaro_cli_files
                return ;;
            --channel=*)
                COMPREPLY=($(compgen -W "128 64" -- "${cur#--channel=}"))
                return ;;
            -*)
                COMPREPLY=($(compgen -W "--simulate --simulate= --unplugged --channel= \
                    --server= --version --help" -- "$cur"))
                [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
                return ;;
        esac
        COMPREPLY=($(compgen -W "info dump export import profile key trigger params macro \
            light firmware firmware-data backup reset auto" -- "$cur"))
        return
    fi

    local n=$((cword - first)) verb=${words[first + 1]}
    case $command in
        dump) COMPREPLY=($(compgen -W "--json --help" -- "$cur")) ;;
        export | import) [[ $n -eq 1 ]] && _zentaro_cli_files aaa ;;
        profile)
            [[ $n -eq 1 ]] && COMPREPLY=($(compgen -W "list switch add delete rename --help" -- "$cur")) ;;
        auto)
            if [[ $n -eq 1 ]]; then
                COMPREPLY=($(compgen -W "list add remove move default match run --help" -- "$cur"))
            elif [[ $verb == add && $n -ge 3 ]]; then
                COMPREPLY=($(compgen -W "--process --window-class --title --focus" -- "$cur"))
            fi ;;
        key)
            case $n in
                1) COMPREPLY=($(compgen -W "get set reset --help" -- "$cur")) ;;
                2) COMPREPLY=($(compgen -W "0 1 fn" -- "$cur")) ;;
                4) [[ $verb == set ]] && COMPREPLY=($(compgen -W "none mute F13 F14 F15 \
                    F16 F17 F18 F19 F20 F21 F22 F23 F24 M1 M2 M3 M4 M5 M6 M7 M8 M9 M10" -- "$cur")) ;;
            esac ;;
        trigger)
            if [[ $n -eq 1 ]]; then
                COMPREPLY=($(compgen -W "get set --help" -- "$cur"))
            elif [[ $prev == --continuous ]]; then
                COMPREPLY=($(compgen -W "on off" -- "$cur"))
            elif [[ $prev == --rapid ]]; then
                COMPREPLY=($(compgen -W "off" -- "$cur"))
            elif [[ $verb == set && $n -ge 4 ]]; then
                COMPREPLY=($(compgen -W "--rapid --continuous" -- "$cur"))
            fi ;;
        params)
            if [[ $n -eq 1 ]]; then
                COMPREPLY=($(compgen -W "get set --help" -- "$cur"))
            elif [[ $verb == set ]]; then
                case $cur in
                    polling=*) COMPREPLY=($(compgen -P polling= -W "8K 4K 2K 1K" -- "${cur#*=}")) ;;
                    debounce=*) COMPREPLY=($(compgen -P debounce= -W "low middle high" -- "${cur#*=}")) ;;
                    touch=* | sports=*)
                        COMPREPLY=($(compgen -P "${cur%%=*}=" -W "on off" -- "${cur#*=}")) ;;
                    *=*) ;;
                    *)
                        COMPREPLY=($(compgen -W "polling= debounce= dead-down= dead-up= touch= \
                            sports=" -- "$cur"))
                        compopt -o nospace ;;
                esac
            fi ;;
        macro)
            case $n in
                1) COMPREPLY=($(compgen -W "get set clear --help" -- "$cur")) ;;
                2) COMPREPLY=($(compgen -W "1 2 3 4 5 6 7 8 9 10" -- "$cur")) ;;
                3) [[ $verb == set ]] && _zentaro_cli_files json
                   [[ $verb == get ]] && COMPREPLY=($(compgen -W "--json" -- "$cur")) ;;
            esac ;;
        light)
            case $n in
                1) COMPREPLY=($(compgen -W "effect custom --help" -- "$cur")) ;;
                2) [[ $verb == effect ]] && COMPREPLY=($(compgen -W "custom" -- "$cur")) ;;
            esac ;;
        firmware)
            case $n in
                1) COMPREPLY=($(compgen -W "check update write --help" -- "$cur")) ;;
                2) [[ $verb == write ]] && _zentaro_cli_files bin ;;
                3) [[ $verb == write ]] && COMPREPLY=($(compgen -W "--unsigned --no-backup" -- "$cur")) ;;
            esac ;;
        firmware-data)
            case $n in
                1) COMPREPLY=($(compgen -W "write --help" -- "$cur")) ;;
                2) _zentaro_cli_files bin ;;
            esac ;;
        backup)
            [[ $n -eq 1 ]] && COMPREPLY=($(compgen -W "create list restore delete --help" -- "$cur")) ;;
        reset) [[ $n -eq 1 ]] && COMPREPLY=($(compgen -W "--yes --help" -- "$cur")) ;;
    esac
}
complete -F _zentaro_cli zentaro-cli
