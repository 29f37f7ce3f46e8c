# bash completion for kestrawave-cli                       -*- shell-script -*-
# Copyright 2026 The Kestrawave developers, MIT License.
#
# Stands alone: it needs none of the bash-completion package's helpers, so it
# also works when sourced from ~/.bashrc.

# Wave files (.wav, .WAV) and the folders that may hold them (with -r, the
# folders are arguments of their own).
_kestrawave_cli_files() {
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(
        compgen -d -- "$1"
        compgen -f -X '!*.wav' -- "$1"
        compgen -f -X '!*.WAV' -- "$1"
    )
}

_kestrawave_cli_folders() {
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -d -- "$1")
}

_kestrawave_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local command='' options='' word i
    local -a positional=()
    COMPREPLY=()

    # The command is the first word that is no option; the words after it
    # that are neither options nor their values are its arguments.
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
        -o | --output | -c | --channels | -m | --mode | -j | --jobs) ((i++)) ;;
        -*) ;;
        *)
            if [[ -z $command ]]; then
                command=$word
            else
                positional+=("$word")
            fi
            ;;
        esac
    done

    if [[ -z $command ]]; then
        mapfile -t COMPREPLY < <(compgen -W 'info split takes merge --help --version' -- "$cur")
        return
    fi

    case $prev in
    -o | --output)
        _kestrawave_cli_folders "$cur"
        return
        ;;
    -c | --channels)
        # A list such as 1,3-4: nothing to offer.
        return
        ;;
    -m | --mode)
        mapfile -t COMPREPLY < <(compgen -W '0 1 2' -- "$cur")
        return
        ;;
    -j | --jobs)
        # 0: one per processor.
        mapfile -t COMPREPLY < <(compgen -W '0 1 2 4' -- "$cur")
        return
        ;;
    esac

    case $command in
    info) options='--json --help' ;;
    split) options='-o --output -c --channels -y --yes -n --no --copy-metadata -r --recursive -j --jobs --json --help' ;;
    takes) options='--json --help' ;;
    merge) options='-o --output -m --mode -y --yes -n --no --copy-metadata -r --recursive -j --jobs --json --help' ;;
    *) return ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi

    case $command in
    info | split) _kestrawave_cli_files "$cur" ;;
    takes)
        if ((${#positional[@]} == 0)); then
            _kestrawave_cli_folders "$cur"
        fi
        ;;
    merge)
        if ((${#positional[@]} == 0)); then
            _kestrawave_cli_folders "$cur"
        else
            # The takes of the folder already given, matched here rather than
            # by compgen -W, which would expand a take named $(...).
            local folder=${positional[0]/#\~/$HOME} take
            while IFS= read -r take; do
                if [[ $take == "$cur"* ]]; then
                    COMPREPLY+=("$take")
                fi
            done < <("${COMP_WORDS[0]}" takes -- "$folder" </dev/null 2>/dev/null | cut -f1)
        fi
        ;;
    esac
}

complete -F _kestrawave_cli kestrawave-cli
