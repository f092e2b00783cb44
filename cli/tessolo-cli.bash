# Bash completion for tessolo-cli.
# The options and their fixed words are read from `tessolo-cli --help`, so
# they always match the installed program.

# Reads a --help text (or the rendered OPTIONS of the manual page) and prints
# one line per option: its name and its argument, if it takes one
# ("--type jpeg|png|gif|bmp", "--hpad N", "--save-settings").
_tessolo_cli_options()
{
    awk '/^ +-/ {
        n = split($0, t, " ")
        for (i = 1; i <= n && t[i] ~ /^-/; i++) {
            name = t[i]; sub(/,$/, "", name)
            arg = ""
            if (i < n && (t[i + 1] ~ /\|/ || t[i + 1] ~ /^[A-Z]+,?$/)) {
                arg = t[++i]; sub(/,$/, "", arg)
            }
            print name (arg == "" ? "" : " " arg)
            if (t[i] !~ /,$/)
                break
        }
    }'
}

# The argument that option $2 takes by the option table $1; empty for a switch.
_tessolo_cli_argument()
{
    awk -v name="$2" '$1 == name { print $2 }' <<<"$1"
}

# $1 with a leading ~/ made into the home folder, as the shell would.
_tessolo_cli_home()
{
    if [[ $1 == \~/* ]]; then
        printf '%s\n' "$HOME/${1#\~/}"
    else
        printf '%s\n' "$1"
    fi
}

# The image files of folder $1 whose names start with $2.
_tessolo_cli_images()
{
    local folder=$1 prefix=$2 path name
    while IFS= read -r path; do
        name=${path#"$folder"/}
        [[ -f $path ]] || continue
        case ${name,,} in
            *.png | *.jpg | *.jpeg | *.gif | *.bmp | *.webp | *.avif | *.svg) printf '%s\n' "$name" ;;
        esac
    done < <(compgen -f -- "$folder/$prefix")
}

_tessolo_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    # "--type=p" reaches us as the words "--type", "=" and "p".
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    local cli
    cli=$(_tessolo_cli_home "${COMP_WORDS[0]}")
    local table
    table=$("$cli" --help 2>/dev/null | _tessolo_cli_options)

    local argument
    argument=$(_tessolo_cli_argument "$table" "$prev")
    if [[ $prev == -* && -n $argument ]]; then
        case $argument in
            *"|"*)
                # The fixed words; "PERCENT%" and the like are not words.
                mapfile -t COMPREPLY < <(compgen -W "$(tr '|' ' ' <<<"$argument")" -- "$cur" | grep -v '[A-Z]') ;;
            FILE)
                compopt -o filenames
                mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
            *)
                COMPREPLY=() ;;
        esac
        return
    fi

    if [[ $cur == -* ]]; then
        local names
        names=$(awk '{ print $1 }' <<<"$table" | sed 's/^--\[no-\]\(.*\)/--\1\n--no-\1/')
        mapfile -t COMPREPLY < <(compgen -W "$names" -- "$cur")
        return
    fi

    # The first word that is neither an option nor an option's value is
    # FOLDER; the words after it are files inside it.
    local i word folder='' options=1
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if ((options)) && [[ $word == -- ]]; then
            options=0
        elif ((options)) && [[ $word == -?* ]]; then
            if [[ ${COMP_WORDS[i + 1]} == = ]]; then
                ((i += 2))
            elif [[ -n $(_tessolo_cli_argument "$table" "$word") ]]; then
                ((i++))
            fi
        elif [[ -z $folder ]]; then
            folder=$word
        fi
    done

    compopt -o filenames
    if [[ -z $folder ]]; then
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
    else
        folder=$(_tessolo_cli_home "$folder")
        mapfile -t COMPREPLY < <(_tessolo_cli_images "${folder%/}" "$cur")
    fi
}

complete -F _tessolo_cli tessolo-cli
