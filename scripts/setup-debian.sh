#!/usr/bin/env bash
# Installs what Kovalin needs on Debian or Ubuntu. "build" is enough to build
# and run the programs; "package" adds what building the Debian packages
# needs; "test" adds everything the test suites use; "windows" is what
# cross-building Kovalin.exe needs.
set -euo pipefail

what=${1:-test}

build_packages=(build-essential cmake ninja-build pkg-config ccache qt6-base-dev qt6-translations-l10n
  libsystemd-dev)
package_packages=(dpkg-dev file)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev ffmpeg libseccomp-dev
  clang libclang-rt-dev
  xvfb xauth x11-utils xdotool xclip trayer imagemagick fonts-noto-cjk fonts-ipafont-gothic dbus-x11
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32 fonts-wine locales
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64
  lintian desktop-file-utils groff-base man-db systemd dbus python3-gi gir1.2-glib-2.0
)

windows_packages=(cmake ninja-build g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)

packages=("${build_packages[@]}")
[ "$what" = test ] || [ "$what" = package ] && packages+=("${package_packages[@]}")
[ "$what" = test ] && packages+=("${test_packages[@]}")
[ "$what" = windows ] && packages=("${windows_packages[@]}")

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

updated=
# install_missing PACKAGE...: installs those not installed yet.
install_missing() {
  local p missing=()
  for p; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  # wine32 comes from the i386 architecture.
  if printf '%s\n' "${missing[@]}" | grep -q '^wine32$'; then
    $sudo dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  if [ -z "$updated" ]; then
    $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
    updated=1
  fi
  $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
}

install_missing "${packages[@]}"

# The shipped 32-bit programs run under 32-bit Wine. Where the kernel runs no
# 32-bit x86 code, which some virtual machines have switched off, qemu-user
# runs it (scripts/test-windows32.sh). wine32 brought the 32-bit dynamic
# loader, a 32-bit program that tells.
if [ "$what" = test ] && { [ -n "${KOVALIN_NO_32BIT:-}" ] ||
  ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; }; then
  install_missing qemu-user
fi

# Wine needs a Japanese locale to run programs in code page 932.
if [ "$what" = test ] && ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
