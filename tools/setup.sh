#!/usr/bin/env bash
# Installs every build, test and run dependency of Glimmerwick on Debian 12.
# Idempotent: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-qpa-plugins
  libgl-dev
  libspng-dev libfontconfig-dev
  zlib1g-dev libssl-dev python3-pil wine64
  libgtest-dev libgmock-dev googletest
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  icoutils python3
  fonts-noto-cjk fonts-arphic-uming fonts-wine
  clang-14 libclang-rt-14-dev
  xvfb xauth x11-utils xdotool imagemagick libgdk-pixbuf2.0-bin qt6ct
  tumbler dbus-daemon libglib2.0-bin
  fuse fusefat dosfstools
  qt6-translations-l10n qt6-l10n-tools qt6-tools-dev xdg-utils
  python3-pyatspi at-spi2-core
  desktop-file-utils appstream libchm-bin groff-base
  libkf5kio-dev
  dpkg-dev debhelper file fakeroot lintian devscripts
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
