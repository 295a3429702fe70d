#!/usr/bin/env bash
# The tray program as KDE Plasma, GNOME's AppIndicator extension and Wayland
# sessions show it: a StatusNotifierItem on the session bus. A private bus,
# Xvfb, and a watcher and host of the test's own (sni_watcher.py). kovalin
# runs with no settings file beside it and its settings under
# $XDG_CONFIG_HOME. The test checks that the item registers, that its icon
# changes while a converter runs and its tooltip then says 待機中, that its
# menu read over com.canonical.dbusmenu is 設定 and 終了, that 設定 shows the
# dialog, and that 終了 ends the program with its settings written.
#
# Usage: sni_tray_test.sh KOVALIN
set -u
KOVALIN=$1
. "$(dirname "$0")/lib.sh"
python=/usr/bin/python3

for tool in Xvfb xdotool dbus-daemon dbus-send; do
    command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 77; }
done
"$python" -c 'from gi.repository import Gio' 2>/dev/null || { echo "python3-gi is needed" >&2; exit 77; }

bus_pid= watcher_pid= kovalin_pid=
e2e_pid_vars="kovalin_pid watcher_pid bus_pid"
e2e_begin
start_xvfb

# A bus of the test's own, which starts no services.
cat >"$work/bus.conf" <<CONF
<busconfig>
  <type>session</type>
  <listen>unix:path=$work/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
dbus-daemon --nofork --config-file="$work/bus.conf" 2>"$work/bus.log" &
bus_pid=$!
bus_up() { [ -S "$work/bus" ]; }
wait_for 30 bus_up || fail "dbus-daemon did not start"
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/bus

# The watcher must be there before kovalin starts: Qt looks for it once.
mkdir "$work/sni"
"$python" "$(dirname "$0")/sni_watcher.py" "$work/sni" 2>"$work/watcher.log" &
watcher_pid=$!
watcher_ready() { [ -e "$work/sni/ready" ]; }
wait_for 30 watcher_ready || fail "the watcher did not start: $(cat "$work/watcher.log")"

# A converter that holds its conversion until the test lets it go, and
# gives up when the work folder is gone.
cat >"$work/hold-convert.sh" <<'CONVERTER'
#!/bin/sh
: >"$1/../started"
while [ ! -e "$1/../release" ] && [ -d "$1" ]; do sleep 0.05; done
rm -f -- "$1/$2.flv"
CONVERTER
chmod +x "$work/hold-convert.sh"
watch=$work/watch
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/kovalin" "$work/app"
write_settings "$XDG_CONFIG_HOME/kovalin/Kovaset.ini" "$watch" "$work/hold-convert.sh $watch" 9
echo recording >"$watch/clip.flv"
wait_until_past "$watch/clip.flv"

cp -- "$KOVALIN" "$work/app/kovalin"
# Qt's D-Bus tray leaves an object of its own at exit, which LeakSanitizer
# would report in a sanitizer build.
echo 'leak:libQt6DBus.so' >"$work/lsan.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$work/lsan.supp"
unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE DESKTOP_SESSION QT_QPA_PLATFORMTHEME
(cd "$work/run" && QT_QPA_PLATFORM=xcb exec "$work/app/kovalin") \
    >"$work/status.log" 2>"$work/stderr.log" &
kovalin_pid=$!

# What the host shows; the watcher rewrites these files.
sni() { cat "$work/sni/$1" 2>/dev/null; }
registered() { [ -s "$work/sni/item" ]; }
wait_for 30 registered || fail "kovalin registered no StatusNotifierItem"
read -r item_name _ <"$work/sni/item"

# The converter runs: the icon changes from frame to frame.
started() { [ -e "$work/started" ]; }
wait_for 30 started || fail "the converter was not started"
first_icon=$(sni icon)
icon_changed() { [ "$(sni icon)" != "$first_icon" ]; }
wait_for 30 icon_changed || fail "the icon did not change while the converter ran"
sni tooltip | grep -qF 'clipを変換中' || fail "the tooltip does not name the conversion: $(sni tooltip)"
: >"$work/release"
idle_tip() { sni tooltip | grep -qF '待機中'; }
wait_for 30 idle_tip || fail "the tooltip never said 待機中: $(sni tooltip)"

# The menu as a host reads it.
labels=$(sni menu | tail -n +2 | cut -f 2)
[ "$labels" = "$(printf '設定\n終了')" ] || fail "the menu holds: $labels"
menu_path=$(sni menu | head -n 1)
click() {
    local id
    id=$(sni menu | tail -n +2 | awk -F '\t' -v label="$1" '$2 == label { print $1 }')
    dbus-send --session --print-reply --dest="$item_name" "$menu_path" \
        com.canonical.dbusmenu.Event int32:"$id" string:clicked variant:int32:0 uint32:0 \
        >/dev/null || fail "the menu did not take a click on $1"
}

click 設定
dialog_shown() { xdotool search --onlyvisible --name '^Kovalin$' >/dev/null 2>&1; }
wait_for 30 dialog_shown || fail "設定 over D-Bus showed no dialog"

click 終了
ended() { ! kill -0 "$kovalin_pid" 2>/dev/null; }
wait_for 30 ended || fail "kovalin did not end after 終了"
code=0
wait "$kovalin_pid" || code=$?
kovalin_pid=
[ "$code" -eq 0 ] || fail "kovalin ended with exit code $code"
expected=$(printf '%s/\n%s\n9\n' "$watch" "$work/hold-convert.sh $watch")
[ "$(cat "$XDG_CONFIG_HOME/kovalin/Kovaset.ini")" = "$expected" ] ||
    fail "the settings file holds $(cat "$XDG_CONFIG_HOME/kovalin/Kovaset.ini")"
[ ! -e "$work/app/Kovaset.ini" ] || fail "a settings file appeared beside the program"
echo "PASS: StatusNotifierItem registered, icon, tooltip, menu, 設定 and 終了 over D-Bus"
