#!/usr/bin/env bash
# Installs what Kovalin needs on Debian or Ubuntu. "build" is enough to build
# and run the programs; "package" adds what building the Debian packages
# needs; "test" adds everything the test suites use; "windows" is what
# cross-building Kovalin.exe needs.
set -euo pipefail

what=${1:-test}

build_packages=(build-essential cmake ninja-build pkg-config ccache qt6-base-dev qt6-translations-l10n)
package_packages=(dpkg-dev file)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev ffmpeg
  clang libclang-rt-dev
  xvfb xauth x11-utils xdotool xclip trayer imagemagick fonts-noto-cjk fonts-ipafont-gothic dbus-x11
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine fonts-wine locales
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64
  lintian desktop-file-utils groff-base man-db systemd dbus python3-gi gir1.2-glib-2.0
)

windows_packages=(cmake ninja-build g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)

# 32-bit Wine runs only where the kernel runs 32-bit x86 programs, which some
# virtual machines have switched off; there the Windows tests run as 64-bit
# programs, and wine32 with its i386 libraries would be installed for
# nothing. Told by a two-instruction 32-bit program, built with the system's
# own assembler; without one, 32-bit code is assumed to run.
kernel_runs_32bit_code() {
  [ "$(uname -m)" = x86_64 ] || return 1
  command -v as >/dev/null && command -v ld >/dev/null || return 0
  local dir status=0
  dir=$(mktemp -d)
  printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$dir/exit.s"
  { as --32 -o "$dir/exit.o" "$dir/exit.s" && ld -m elf_i386 -o "$dir/exit" "$dir/exit.o" &&
    "$dir/exit"; } >/dev/null 2>&1 || status=1
  rm -rf "$dir"
  return "$status"
}
kernel_runs_32bit_code && test_packages+=(wine32)

packages=("${build_packages[@]}")
[ "$what" = test ] || [ "$what" = package ] && packages+=("${package_packages[@]}")
[ "$what" = test ] && packages+=("${test_packages[@]}")
[ "$what" = windows ] && packages=("${windows_packages[@]}")

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  # wine32 comes from the i386 architecture.
  if printf '%s\n' "${missing[@]}" | grep -q '^wine32$'; then
    $sudo dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
  $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine needs a Japanese locale to run programs in code page 932.
if [ "$what" = test ] && ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
