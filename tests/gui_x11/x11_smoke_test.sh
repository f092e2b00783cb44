#!/bin/sh
# The desktop program under a real X server and window manager, driven by
# real key presses: show a folder by typing it, add every image, type a
# class and press Enter, build, open and close About, build again, and
# compare the stylesheet and sheet with those of tessolo-cli --class for the
# same folder; then type a sheet folder on the preferences' Web page and
# build into it. Skips (status 77) where Xvfb, xdotool or the window manager
# is missing.
#   x11_smoke_test.sh TESSOLO TESSOLO_CLI EXAMPLES_DIR [SCREENSHOT_DIR]
set -u

tessolo=$1
cli=$2
examples=$3
shots=${4:-}

for tool in Xvfb xdotool matchbox-window-manager; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null; done
  for pid in $pids; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Waits up to 30 s for a shell condition.
wait_for() {
  tries=0
  until eval "$1"; do
    tries=$((tries + 1))
    [ $tries -gt 300 ] && fail "timed out waiting for: $1"
    sleep 0.1
  done
}

# A display number that no other server uses.
display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
  display=$((display + 1))
done
export DISPLAY=":$display"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids="$!"
wait_for 'xdotool getdisplaygeometry >/dev/null 2>&1'
# No key bindings of its own: every Alt key belongs to the program.
: >"$work/keys"
matchbox-window-manager -use_titlebar yes -kbdconfig "$work/keys" >"$work/wm.log" 2>&1 &
pids="$! $pids"

mkdir -p "$work/window" "$work/cli" "$work/home" "$work/config"
for icon in "$examples"/*.png "$examples"/*.bmp; do
  cp "$icon" "$work/window/"
  cp "$icon" "$work/cli/"
done

HOME="$work/home" XDG_CONFIG_HOME="$work/config" TESSOLO_UPDATE_HOST=127.0.0.1:9 \
  "$tessolo" >"$work/app.log" 2>&1 &
app=$!
pids="$app $pids"
main=$(xdotool search --all --sync --pid "$app" --name "Tessolo Sprite Generator" | head -n 1)
[ -n "$main" ] || fail "the main window did not appear"
xdotool windowactivate --sync "$main"
sleep 0.5

key() { xdotool key --clearmodifiers --delay 50 "$@"; sleep 0.3; }
type_text() { xdotool type --clearmodifiers --delay 20 "$1"; sleep 0.3; }
back_to_main() { xdotool windowactivate --sync "$main"; sleep 0.5; }
inode() { stat -c %i "$1" 2>/dev/null || echo none; }

# The location selector has the focus at start: type the folder there.
key ctrl+a
type_text "$work/window"
key Return
key alt+e ctrl+a ctrl+Right  # every available file to the process list
key alt+l ctrl+a
type_text "icons"
key Return
key alt+m
wait_for '[ -f "$work/window/sprite.css" ] && [ -f "$work/window/sprite.jpg" ]'
first=$(inode "$work/window/sprite.css")

back_to_main
key alt+h a  # Help > About
wait_for 'xdotool search --all --onlyvisible --pid "$app" --name "^About$" >/dev/null 2>&1'
key Escape
wait_for '! xdotool search --all --onlyvisible --pid "$app" --name "^About$" >/dev/null 2>&1'

back_to_main
key alt+m
wait_for '[ "$(inode "$work/window/sprite.css")" != "$first" ]'
sleep 0.5
if [ -n "$shots" ] && command -v xwd >/dev/null 2>&1 && command -v xwdtopnm >/dev/null 2>&1; then
  back_to_main
  mkdir -p "$shots"
  xwd -id "$main" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$shots/x11-main-window.png" &&
    echo "screenshot: $shots/x11-main-window.png"
fi

"$cli" --settings "$work/cli.reg" --class .icons "$work/cli" >/dev/null 2>&1 ||
  fail "tessolo-cli failed"
cmp "$work/window/sprite.css" "$work/cli/sprite.css" ||
  { diff "$work/window/sprite.css" "$work/cli/sprite.css"; fail "the stylesheets differ"; }
cmp "$work/window/sprite.jpg" "$work/cli/sprite.jpg" || fail "the sheets differ"
grep -q '^\.icons-' "$work/window/sprite.css" || fail "the typed class is not in the stylesheet"

# The sheet folder typed on the preferences' Web page takes the next build.
back_to_main
key alt+o p  # Options > Preferences
wait_for 'xdotool search --all --onlyvisible --pid "$app" --name "^Preferences$" >/dev/null 2>&1'
key alt+b alt+h  # the Web page, its sheet folder
type_text "out"
key alt+c
wait_for '! xdotool search --all --onlyvisible --pid "$app" --name "^Preferences$" >/dev/null 2>&1'
back_to_main
key alt+m
wait_for '[ -f "$work/window/out/sprite.jpg" ] && [ -f "$work/window/out/sprite.css" ]'

back_to_main
key alt+f x  # File > Exit
wait_for '! kill -0 "$app" 2>/dev/null'
grep -q '"SpriteClass"=".sprite,.icons"' "$work/config/Veltrand/Tessolo.reg" ||
  fail "the class entered by Enter was not stored"
grep -q '"SheetFolder"="out"' "$work/config/Veltrand/Tessolo.reg" ||
  fail "the typed sheet folder was not stored"
echo "PASS: typed class and sheet folder, builds, About and the stored values under a real X server"
