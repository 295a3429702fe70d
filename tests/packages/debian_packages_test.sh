#!/usr/bin/env bash
# The Debian packages on this machine, as a user meets them: lintian, then
# installed with apt-get; the installed man pages, .desktop entries and
# systemd units (their syntax and their sandbox's exposure) are checked, the
# installed kovalin-headless converts one recording on settings under
# $XDG_CONFIG_HOME with the installed example converter, writing for the
# journal; then the packages are purged and none of their files may be left.
# Runs as root, or through sudo.
#
# Usage: debian_packages_test.sh PACKAGE-FOLDER
set -u
folder=$(realpath "$1")
. "$(dirname "$0")/../e2e/lib.sh"
KOVALIN=/usr/bin/kovalin-headless
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo

debs=("$folder"/*.deb)
[ -f "${debs[0]}" ] || fail "no packages in $folder"
lintian --fail-on error,warning "${debs[@]}" || fail "lintian has errors or warnings"

packages=() files=()
for deb in "${debs[@]}"; do
    packages+=("$(dpkg-deb -f "$deb" Package)")
    while IFS= read -r entry; do
        [[ $entry == */ ]] || files+=("${entry#.}")
    done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t)
done
version=$(dpkg-deb -f "${debs[0]}" Version)

installed=
apt() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -qq "$@" >"$work/apt.log" 2>&1; }
packages_cleanup() {
    [ -z "$installed" ] || apt purge "${packages[@]}"
    e2e_cleanup
}
e2e_begin
trap packages_cleanup EXIT

installed=yes
apt install --no-install-recommends "${debs[@]}" || { cat "$work/apt.log" >&2; fail "apt-get install"; }

[ "$("$KOVALIN" --version)" = "kovalin-headless $version" ] || fail "--version: $("$KOVALIN" --version)"
for page in /usr/share/man/man1/kovalin.1.gz /usr/share/man/man1/kovalin-headless.1.gz; do
    warnings=$(zcat "$page" | LC_ALL=C groff -ww -z -man 2>&1)
    [ -z "$warnings" ] || fail "$page: $warnings"
done
desktop-file-validate /usr/share/applications/kovalin.desktop \
    /usr/share/doc/kovalin/examples/kovalin-autostart.desktop || fail "desktop-file-validate"
systemd-analyze verify /usr/lib/systemd/system/kovalin-headless@.service ||
    fail "systemd-analyze verify: the system unit"
mkdir -m 700 "$work/runtime"
XDG_RUNTIME_DIR=$work/runtime systemd-analyze --user verify \
    /usr/lib/systemd/user/kovalin-headless.service || fail "systemd-analyze verify: the user unit"
# The sandbox: an exposure of at most 1.0 for each unit (0.4 and 0.7 with
# systemd 252; the offline analysis counts a user's service as root's).
systemd-analyze security --offline=true --threshold=10 \
    /usr/lib/systemd/system/kovalin-headless@.service >"$work/security.log" ||
    fail "the system unit is exposed above 1.0: $(tail -n 1 "$work/security.log")"
XDG_RUNTIME_DIR=$work/runtime systemd-analyze --user security --offline=true --threshold=10 \
    /usr/lib/systemd/user/kovalin-headless.service >"$work/security.log" ||
    fail "the user unit is exposed above 1.0: $(tail -n 1 "$work/security.log")"

# One conversion, with no settings file named: the user's own is used.
export HOME=$work/home XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_CONFIG_HOME/kovalin"
write_settings "$XDG_CONFIG_HOME/kovalin/Kovaset.ini" "$work/watch" \
    "/usr/lib/kovalin/ffmpeg-convert.sh $work/watch" 0
ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=duration=1:size=160x120:rate=10 \
    "$work/watch/clip.flv" || fail "ffmpeg could not make a recording"
wait_until_past "$work/watch/clip.flv"
: >"$work/status.log"
JOURNAL_STREAM=$(stat -c %d:%i "$work/status.log") start_headless
converted() { [ -s "$work/watch/clip.mp4" ] && [ -s "$work/watch/clip.jpg" ] && no_flv_left; }
wait_for 60 converted || fail "the installed programs converted nothing"
wait_for 20 last_status_is_idle || fail "no idle status after the conversion"
stop_headless
expected=$(printf '<6>clipを変換中 変換動画数 1\n<6>待機中')
[ "$(cat "$work/status.log")" = "$expected" ] || fail "the journal lines are not as expected"

apt purge "${packages[@]}" || { cat "$work/apt.log" >&2; fail "apt-get purge"; }
installed=
for file in "${files[@]}" /usr/lib/kovalin /usr/share/doc/kovalin /usr/share/doc/kovalin-headless; do
    [ ! -e "$file" ] && [ ! -L "$file" ] || fail "$file is left after the packages were removed"
done
echo "PASS: lintian, install, one conversion, units and removal of ${packages[*]} $version"
