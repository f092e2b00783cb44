# What the size benchmarks share, sourced once `build` names the build
# folder: the command line in it, a scratch folder `work` removed on exit,
# timing a tool's run and copying an icon set.
cli="$build/cli/tessolo-cli"
[ -x "$cli" ] || { echo "no $cli: build the project first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

silk=/usr/share/icons/silk/16x16
flags=/usr/share/flags/countries/16x11

now() { date +%s.%N; }
seconds() { echo "$1 $2" | awk '{ printf "%.2f", $2 - $1 }'; }
# Runs a command, prints "BYTES (SECONDS s)" of the file it writes, or "–".
measure() {
  out="$1"; shift
  start=$(now)
  if "$@" >/dev/null 2>&1 && [ -s "$out" ]; then
    echo "$(stat -c %s "$out") ($(seconds "$start" "$(now)") s)"
  else
    echo "–"
  fi
}
have() { command -v "$1" >/dev/null 2>&1; }

# Copies the first COUNT PNG files of FROM into $work/NAME: make_set NAME FROM COUNT.
make_set() {
  name="$1"; from="$2"; count="$3"
  mkdir -p "$work/$name"
  [ -d "$from" ] || return 0
  find "$from" -maxdepth 1 -name '*.png' | sort | head -n "$count" |
    while read -r f; do cp "$f" "$work/$name/"; done
}
