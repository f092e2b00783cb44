#!/bin/bash
# The manual pages render without warnings, and the options of
# tessolo-cli(1) are exactly those that `tessolo-cli --help` lists.
# Usage: man_pages_test.sh TESSOLO_CLI COMPLETION_SCRIPT MAN1_FOLDER
cli=$1 completion=$2 man1=$3
if ! command -v man >/dev/null; then
    echo "SKIPPED: man is not installed (package man-db)"
    exit 77
fi
source "$completion"  # for _tessolo_cli_options, the parser of option lists
export LC_ALL=C MANWIDTH=80
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for page in "$man1"/*.1.gz; do
    warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "$(basename "$page") renders with warnings:"$'\n'"$warnings"
done
[[ -f $man1/tessolo-cli.1.gz ]] || fail "tessolo-cli.1.gz was not built"

page=$(man -l "$man1/tessolo-cli.1.gz")
section() { awk -v name="$1" '$0 == name { on = 1; next } /^[A-Z]/ { on = 0 } on'; }
for name in NAME SYNOPSIS DESCRIPTION OPTIONS FILES "EXIT STATUS" EXAMPLES; do
    grep -qx "$name" <<<"$page" || fail "tessolo-cli(1) has no $name section"
done

help=$("$cli" --help)
usage=$(head -1 <<<"$help")
synopsis=$(section SYNOPSIS <<<"$page" | sed 's/^ *//')
[[ "Usage: $synopsis" == "$usage" ]] || fail "SYNOPSIS '$synopsis' differs from '$usage'"

from_help=$(_tessolo_cli_options <<<"$help")
from_page=$(section OPTIONS <<<"$page" | _tessolo_cli_options)
[[ $(wc -l <<<"$from_help") -ge 18 ]] || fail "too few options parsed from --help:"$'\n'"$from_help"
if ! difference=$(diff <(echo "$from_help") <(echo "$from_page")); then
    fail "options of --help (<) and of tessolo-cli(1) (>) differ:"$'\n'"$difference"
fi

section FILES <<<"$page" | grep -q 'XDG_CONFIG_HOME/Veltrand/Tessolo.reg' ||
    fail "FILES does not name the settings store"
for status in 0 1 2; do
    section "EXIT STATUS" <<<"$page" | grep -qx " *$status  *[A-Z].*" || fail "EXIT STATUS lacks $status"
done

[[ $failures -eq 0 ]] && echo "manual pages: all checks passed"
exit $((failures > 0))
