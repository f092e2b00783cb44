#!/bin/bash
# Drives the bash completion of tessolo-cli the way the shell does: it fills
# COMP_WORDS and calls the function that `complete -p` names.
# Usage: completion_test.sh TESSOLO_CLI COMPLETION_SCRIPT
cli=$1 completion=$2
PATH=$(dirname "$cli"):$PATH
source "$completion"
# compopt only works while the shell itself completes; its effect (quoting
# file names) is not what these checks look at.
compopt() { :; }

failures=0
function_name=$(complete -p tessolo-cli | sed -n 's/.*-F \([^ ]*\) tessolo-cli$/\1/p')
if [[ -z $function_name ]]; then
    echo "FAIL: no completion function for tessolo-cli: $(complete -p tessolo-cli 2>&1)"
    exit 1
fi

# expect "EXPECTED WORDS" WORD... : completing the last WORD offers exactly
# EXPECTED WORDS (sorted, space-separated).
expect()
{
    local expected=$1
    shift
    COMP_WORDS=(tessolo-cli "$@")
    COMP_CWORD=$#
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    "$function_name" tessolo-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    local offered
    offered=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')
    if [[ $offered != "$expected" ]]; then
        echo "FAIL: tessolo-cli $* -> '$offered', expected '$expected'"
        failures=$((failures + 1))
    fi
}

# Option names, including both forms of the --[no-] switches.
expect "--type" --ty
expect "--jpeg-progressive --jpeg-quality" --jpeg-
expect "--no-png-dither --no-png-interlace --no-png-optimize --no-pseudo-classes" --no-p
expect "--png-optimize" --png-o
expect "--help" --he

# The fixed words of --help's choice lists.
expect "png" --type p
expect "avif bmp gif jpeg png webp" --type ""
expect "png" --type = p
expect "grid horizontal packed vertical" --layout ""
expect "transparent white" --background ""
expect "lzw rle" --gif-compression ""
expect "css json less scss" --data ""
expect "percent px" --units ""
expect "--no-base-rule" --no-b
expect "16" --bmp-bits 1
expect "0 1" --style ""
expect "none" --resize ""
expect "" --name ""
expect "" --hpad ""

# FOLDER is a folder; FILEs are the image files inside it.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/icons/nested" "$scratch/other"
touch "$scratch/icons/a.png" "$scratch/icons/B.GIF" "$scratch/icons/c.jpeg" "$scratch/icons/d.Bmp" \
    "$scratch/icons/e.jpg" "$scratch/icons/my icon.png" "$scratch/icons/notes.txt" "$scratch/top.png"
cd "$scratch" || exit 1
expect "icons other" ""
expect "icons" ic
expect "B.GIF a.png c.jpeg d.Bmp e.jpg my icon.png" icons ""
expect "a.png" icons a
expect "my icon.png" icons/ m
expect "a.png" --type png --class .x icons a
expect "a.png" --name = x icons a
expect "B.GIF" icons a.png B
expect "top.png" --settings t
expect "icons other" --save-settings ""
expect "a.png" "$scratch/icons" a

[[ $failures -eq 0 ]] && echo "completion: all checks passed"
exit $((failures > 0))
