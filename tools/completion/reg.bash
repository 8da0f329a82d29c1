# bash completion for reg, the registry tool of the Kestrava Quintel suite.
# Installed as share/bash-completion/completions/reg; to try it from the source tree:
#   source tools/completion/reg.bash
# Key names complete from the registry itself: roots, then the subkeys reg query lists.

_reg_operations="query add delete export import /?"
_reg_roots=('HKCU\' 'HKLM\' 'HKCR\' 'HKEY_CURRENT_USER\' 'HKEY_LOCAL_MACHINE\' 'HKEY_CLASSES_ROOT\')

# The options of an operation.
_reg_options() {
    case "${1,,}" in
        query) echo "/v /ve /s /reg:32 /reg:64 /?" ;;
        add) echo "/v /ve /t /d /f /reg:32 /reg:64 /?" ;;
        delete) echo "/v /ve /va /f /reg:32 /reg:64 /?" ;;
        export) echo "/y /reg:32 /reg:64 /?" ;;
        import) echo "/reg:32 /reg:64 /?" ;;
    esac
}

# Subkeys of the key typed so far ("HKCU\Software\Va" offers "HKCU\Software\Valdra\"). The
# word is taken without quotes and with "\\" read as "\", as the shell will pass it.
_reg_keys() {
    local program=$1 typed=$2 key parent name
    typed=${typed#[\"\']}
    typed=${typed//\\\\/\\}
    if [[ "$typed" != *\\* ]]; then
        local root
        for root in "${_reg_roots[@]}"; do
            [[ "${root,,}" == "${typed,,}"* ]] && printf '%s\n' "$root"
        done
        return
    fi
    parent=${typed%\\*}
    local start=${typed##*\\}
    while IFS= read -r key; do
        [[ "$key" == HKEY_* && "$key" == *\\* ]] || continue
        name=${key##*\\}
        [[ "${name,,}" == "${start,,}"* ]] && printf '%s\n' "$parent\\$name\\"
    done < <("$program" query "$parent" 2>/dev/null)
}

_reg() {
    local cur=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD - 1]}
    local program=${COMP_WORDS[0]} operation=${COMP_WORDS[1]}
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "$_reg_operations" -- "${cur,,}"))
        return
    fi
    case "${previous,,}" in
        /t | -t)
            COMPREPLY=($(compgen -W "REG_SZ REG_EXPAND_SZ REG_DWORD REG_BINARY" -- "${cur^^}"))
            return
            ;;
        /v | -v | /d | -d) return ;;
    esac
    if [[ "$cur" == /* && "$cur" != */*/* ]] || [[ "$cur" == -* ]]; then
        COMPREPLY=($(compgen -W "$(_reg_options "$operation")" -- "$cur"))
        [[ ${#COMPREPLY[@]} -gt 0 ]] && return
    fi
    if [[ "${operation,,}" == import ]] || { [[ "${operation,,}" == export ]] && ((COMP_CWORD > 2)); }; then
        COMPREPLY=($(compgen -f -- "$cur"))
        return
    fi
    compopt -o nospace 2>/dev/null
    local IFS=$'\n' key
    for key in $(_reg_keys "$program" "$cur"); do
        COMPREPLY+=("$(printf '%q' "$key")")
    done
}

complete -F _reg reg
