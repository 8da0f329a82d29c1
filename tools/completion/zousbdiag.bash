# bash completion for zousbdiag, the diagnostic tool of the Kestrava Quintel hubs.
# Installed as share/bash-completion/completions/zousbdiag; to try it from the source tree:
#   source tools/completion/zousbdiag.bash
# The parameter names come from the tool itself (zousbdiag help parameters), so they never
# drift from what it accepts.

_zousbdiag_commands="list descriptors ioctl version last-status record iso-read stream enumerate
    device-info hardware-error read-register write-register settings set outputs measure capture
    disassemble help --help -h --version"
_zousbdiag_sources="none A B out0 out1 out2 out3 out4 out5 out6 out7"
_zousbdiag_modes="internal external start-stop rate-switch burst"

_zousbdiag_parameters() {
    "$1" help parameters 2>/dev/null | while read -r name number _; do
        [[ "$name" =~ ^[A-Z][A-Z0-9_]*$ && -n "$number" ]] && printf '%s\n' "$name"
    done
}

# The values a parameter takes by name, if any.
_zousbdiag_values() {
    case "${1^^}" in
        GATE_SOURCE | AUX_SOURCE | EXT_SOURCE | 6 | 10 | 19) echo "$_zousbdiag_sources" ;;
        MODE | 0) echo "$_zousbdiag_modes" ;;
        INVERT | IDLE_LEVEL | GATE_INVERT | AUX_INVERT | EXT_INVERT | RETRIGGER) echo "0 1" ;;
    esac
}

# CHANNEL:PARAMETER=VALUE, completed part by part.
_zousbdiag_setting() {
    local program=$1 cur=$2
    if [[ "$cur" != *:* ]]; then
        compopt -o nospace 2>/dev/null
        COMPREPLY=($(compgen -W "0: 1: 2: 3: 4: 5: 6: 7: 8:" -- "$cur"))
    elif [[ "$cur" != *=* ]]; then
        compopt -o nospace 2>/dev/null
        local channel=${cur%%:*} names name
        names=$(_zousbdiag_parameters "$program")
        COMPREPLY=()
        for name in $names; do
            COMPREPLY+=("$channel:$name=")
        done
        COMPREPLY=($(compgen -W "${COMPREPLY[*]}" -- "$cur"))
    else
        local prefix=${cur%%=*} values
        values=$(_zousbdiag_values "${prefix#*:}")
        COMPREPLY=($(compgen -W "$values" -P "$prefix=" -- "${cur#*=}"))
    fi
}

_zousbdiag() {
    local cur=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD - 1]}
    local program=${COMP_WORDS[0]} command=${COMP_WORDS[1]}
    # bash splits words at ':' and '='; put a CHANNEL:PARAMETER=VALUE back together.
    if [[ "$COMP_WORDBREAKS" == *:* ]]; then
        local line=${COMP_LINE:0:COMP_POINT}
        cur=${line##* }
        local before=${line% *}
        previous=${before##* }
    fi
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "$_zousbdiag_commands" -- "$cur"))
        return
    fi
    case "$previous" in
        --set)
            _zousbdiag_setting "$program" "$cur"
            _zousbdiag_trim_prefix "$cur"
            return
            ;;
        --outputs) COMPREPLY=($(compgen -W "0x1 0x3 0xF 0xFF" -- "$cur")); return ;;
        --mode | --edge) COMPREPLY=($(compgen -W "0 1" -- "$cur")); return ;;
        --timeout | --duration) COMPREPLY=($(compgen -W "1000 2s 10s" -- "$cur")); return ;;
        --in | --out | --packets | --ring | --per-transfer | --transfers | --pipe | --packet-size)
            return ;;
    esac
    local position=$((COMP_CWORD - 1))
    case "$command" in
        help) ((position == 1)) && COMPREPLY=($(compgen -W "parameters modes" -- "$cur")) ;;
        descriptors | ioctl | version | last-status | record | iso-read | stream)
            if ((position == 1)); then
                COMPREPLY=($(compgen -W "0 1 2 3 4 5 6 7" -- "$cur"))
            elif [[ ("$command" == record && $position -eq 3) ||
                ("$command" == stream && $position -eq 2) ]]; then
                COMPREPLY=($(compgen -f -X '!*.vcd' -- "$cur") $(compgen -d -- "$cur"))
            elif [[ "$cur" == -* ]]; then
                local transfer="--per-transfer --transfers --pipe --packet-size"
                case "$command" in
                    ioctl) COMPREPLY=($(compgen -W "--in --out --32bit" -- "$cur")) ;;
                    iso-read) COMPREPLY=($(compgen -W "--packets $transfer --samples" -- "$cur")) ;;
                    stream) COMPREPLY=($(compgen -W "--duration --ring $transfer --set --outputs" \
                        -- "$cur")) ;;
                esac
            fi
            ;;
        device-info | hardware-error | read-register | write-register | settings | set | outputs | \
            measure | capture | disassemble)
            if ((position == 1)); then
                COMPREPLY=($(compgen -W "1 2 3 4 5" -- "$cur"))
                return
            fi
            _zousbdiag_operation "$program" "$command" "$position" "$cur"
            ;;
    esac
}

# The operands and options after the device identifier.
_zousbdiag_operation() {
    local program=$1 command=$2 position=$3 cur=$4 options="--set"
    case "$command" in
        set)
            case $(((position - 2) % 3)) in
                0) COMPREPLY=($(compgen -W "0 1 2 3 4 5 6 7 8" -- "$cur")) ;;
                1) COMPREPLY=($(compgen -W "$(_zousbdiag_parameters "$program")" -- "$cur")) ;;
                2) COMPREPLY=($(compgen -W "$(_zousbdiag_values "${COMP_WORDS[COMP_CWORD - 1]}")" \
                    -- "$cur")) ;;
            esac
            return
            ;;
        outputs) ((position == 2)) && COMPREPLY=($(compgen -W "open close" -- "$cur")) && return ;;
        measure)
            options="--set --outputs --mode --edge --timeout --background"
            ((position == 2)) && COMPREPLY=($(compgen -W "A B out0 out1 out2 out3 out4 out5 \
                out6 out7" -- "$cur")) && return
            ;;
        capture)
            options="--set --outputs"
            if ((position == 3)); then
                COMPREPLY=($(compgen -f -X '!*.vcd' -- "$cur") $(compgen -d -- "$cur"))
                return
            fi
            ;;
        disassemble)
            ((position == 2)) && COMPREPLY=($(compgen -W "0 1 2 3 4 5 6 7 8" -- "$cur")) && return
            ;;
        *) return ;;
    esac
    [[ "$cur" == -* ]] && COMPREPLY=($(compgen -W "$options" -- "$cur"))
}

# With ':' and '=' as word breaks bash replaces only the part after the last one: offer that part.
_zousbdiag_trim_prefix() {
    local cur=$1 word=$1 i
    [[ "$COMP_WORDBREAKS" == *:* || "$COMP_WORDBREAKS" == *=* ]] || return
    word=${cur##*[:=]}
    local prefix=${cur:0:${#cur}-${#word}}
    for i in "${!COMPREPLY[@]}"; do
        COMPREPLY[i]=${COMPREPLY[i]#"$prefix"}
    done
}

complete -F _zousbdiag zousbdiag
