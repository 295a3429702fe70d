#!/usr/bin/env bash
# The tray program on a real X11 display: Xvfb, the tray host trayer, and
# xdotool as the user. kovalin starts with a settings file beside it; the test
# clicks the tray icon, chooses "設定", types a new watch folder, presses
# "設定", starts kovalin a second time, which shows the first one's dialog,
# then chooses "終了" from the menu. The worker must have converted a
# file in the new folder, the program must end with exit code 0, and
# Kovaset.ini must hold the new folder with its trailing "/".
#
# Usage: desktop_tray_test.sh KOVALIN EXAMPLES-FOLDER [SCREENSHOT-FOLDER]
# With a screenshot folder, the tray menu and the dialog are saved there as
# tray-menu.png and settings-dialog.png.
set -u
KOVALIN=$1
EXAMPLES=$2
SHOTS=${3:-}
[ -z "$SHOTS" ] || mkdir -p -- "$SHOTS"
. "$(dirname "$0")/lib.sh"

for tool in Xvfb trayer xdotool xclip import; do
    command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 77; }
done

trayer_pid= kovalin_pid=
e2e_pid_vars="kovalin_pid trayer_pid"
e2e_begin

# No session bus, so that Qt embeds its icon into the X11 tray host.
start_xvfb
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY QT_QPA_PLATFORM
trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
    --SetDockType false >"$work/trayer.log" 2>&1 &
trayer_pid=$!

# The program, its settings file beside it, and two folders. The converter
# writes into the new folder, so only a change of folder lets it run.
mkdir "$work/app" "$work/古い" "$work/新しい"
cp -- "$KOVALIN" "$work/app/kovalin"
new=$work/新しい
write_settings "$work/app/Kovaset.ini" "$work/古い" "\"$EXAMPLES/touch-convert.sh\" \"$new\"" 0
echo recording >"$new/clip.flv"
wait_until_past "$new/clip.flv"

(cd "$work/run" && exec "$work/app/kovalin") >"$work/status.log" 2>"$work/stderr.log" &
kovalin_pid=$!

# The visible windows of kovalin, one id per line.
windows() { xdotool search --onlyvisible --classname kovalin 2>/dev/null; }
geometry() { xdotool getwindowgeometry --shell "$1"; }
window_count_is() { [ "$(windows | wc -l)" -eq "$1" ]; }

icon=
find_icon() { icon=$(windows | head -n 1); [ -n "$icon" ]; }
wait_for 30 find_icon || fail "no tray icon appeared"

# Clicks the icon and returns the popup menu's window in $menu.
menu=
open_menu() {
    xdotool mousemove --window "$icon" 8 8 click 1
    find_menu() { menu=$(windows | grep -vx -e "$icon" -e "${dialog:-none}" | head -n 1); [ -n "$menu" ]; }
    wait_for 30 find_menu || fail "clicking the tray icon opened no menu"
    eval "$(geometry "$menu")"
    menu_x=$X menu_y=$Y menu_height=$HEIGHT
}

# A picture of the screen's top right corner: the tray and the menu.
shoot_menu() {
    [ -n "$SHOTS" ] || return 0
    local left=$((menu_x - 24))
    import -window root -crop "$((1024 - left))x$((menu_y + menu_height + 16))+$left+0" +repage \
        "$SHOTS/tray-menu.png"
}

open_menu
shoot_menu
xdotool mousemove --window "$menu" 30 10 click 1 # "設定"

dialog=
find_dialog() { dialog=$(xdotool search --onlyvisible --name '^Kovalin$' 2>/dev/null | head -n 1); [ -n "$dialog" ]; }
wait_for 30 find_dialog || fail "choosing 設定 showed no dialog"
eval "$(geometry "$dialog")"

# The watch-folder box is the first in the Tab order and has the focus; the
# "設定" button is three Tabs further.
# The folder is pasted: typing kanji makes xdotool remap a key for each
# one, and under load the program may read a key after its mapping is gone.
printf '%s' "$new" | xclip -selection clipboard -i
xdotool mousemove --window "$dialog" 100 $((24 * HEIGHT / 187)) click 1
xdotool key --clearmodifiers ctrl+a ctrl+v
[ -z "$SHOTS" ] || import -window "$dialog" "$SHOTS/settings-dialog.png"
xdotool key Tab Tab Tab space

dialog_gone() { ! xdotool search --onlyvisible --name '^Kovalin$' >/dev/null 2>&1; }
wait_for 30 dialog_gone || fail "the dialog stayed on screen after 設定"

converted() { [ -f "$new/clip.mp4" ] && [ ! -e "$new/clip.flv" ]; }
wait_for 60 converted || fail "the worker converted nothing in the new folder"

# A second start on the same settings file shows this one's dialog and ends
# with exit code 0: the tray keeps one icon, the screen one dialog.
code=0
(cd "$work/run" && timeout 30 "$work/app/kovalin") >"$work/second.log" 2>&1 || code=$?
[ "$code" -eq 0 ] || fail "a second start ended with exit code $code: $(cat "$work/second.log")"
wait_for 30 find_dialog || fail "a second start showed no dialog"
window_count_is 2 || fail "kovalin shows $(windows | wc -l) windows: one icon and the dialog expected"

open_menu
xdotool mousemove --window "$menu" 30 $((menu_height - 10)) click 1 # "終了"
code=0
ended() { ! kill -0 "$kovalin_pid" 2>/dev/null; }
wait_for 30 ended || fail "kovalin did not end after 終了"
wait "$kovalin_pid" || code=$?
kovalin_pid=
[ "$code" -eq 0 ] || fail "kovalin ended with exit code $code"

expected=$(printf '%s/\n"%s" "%s"\n0\n' "$new" "$EXAMPLES/touch-convert.sh" "$new")
[ "$(cat "$work/app/Kovaset.ini")" = "$expected" ] ||
    fail "Kovaset.ini holds $(cat "$work/app/Kovaset.ini")"
echo "PASS: tray icon, menu, dialog and exit on a real X11 tray"
