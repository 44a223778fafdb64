#!/usr/bin/env bash
# Installs everything the program and its tests need on Debian 12.
# Idempotent: packages already present are skipped without touching the network.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config python3 git
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools
  qt6-serialport-dev qt6-multimedia-dev libqt6opengl6-dev
  qt6-httpserver-dev qt6-websockets-dev libqrencode-dev qt6-translations-l10n
  libgl-dev libxkbcommon-dev
  liborcus-dev libfreexl-dev libboost-dev zlib1g-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libxlsxwriter-dev libspreadsheet-writeexcel-perl libole-storage-lite-perl
  clang libclang-rt-14-dev clang-format
  xvfb xauth openbox x11-utils zip dbus-daemon locales
  qt6-gtk-platformtheme qt6ct fonts-cantarell fonts-dejavu-core
  chromium
  dpkg-dev file desktop-file-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# One test runs the program under a German locale (a decimal comma): that locale must exist.
german_locale() {
  if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    echo "setup-deps: generating the de_DE.UTF-8 locale"
    $SUDO sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    $SUDO locale-gen >/dev/null
  fi
}

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup-deps: all packages present"
  german_locale
  exit 0
fi

echo "setup-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
german_locale
