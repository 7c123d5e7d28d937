#!/usr/bin/env bash
# Installs the Debian packages the build, the application and the tests need.
# Idempotent: asks apt only for what is missing. Works as root, or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git lld
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libqt6svg6-dev qt6-positioning-dev
  qt6-l10n-tools libqt6sql6-sqlite
  libicu-dev libsqlite3-dev sqlite3 libopenjp2-7-dev libplist-dev
  libgl-dev libgl1-mesa-dri libglu1-mesa-dev mesa-utils
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth x11-utils imagemagick openssl
  fonts-dejavu-core
  libeccodes-tools libeccodes-dev libopenjp2-tools
  clang-14 libclang-rt-14-dev
  librsvg2-bin
  netcdf-bin libdap-bin
  libxml2-utils
  libqt6positioning6-plugins dbus-daemon
  ncal xdotool
  poppler-utils desktop-file-utils
  unrtf
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# Node.js and npm may come from outside Debian's packages; ask apt only when absent.
command -v node >/dev/null 2>&1 || missing+=(nodejs)
command -v npm >/dev/null 2>&1 || missing+=(npm)

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
