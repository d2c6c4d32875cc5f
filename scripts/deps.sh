#!/usr/bin/env bash
# Installs what the build, the show and the tests need on Debian 12, if anything is missing.
# Usage: scripts/deps.sh run|test
# As root it uses apt-get directly, otherwise sudo when that works without a prompt; when
# neither can install, it names the packages to install and fails.
set -euo pipefail

what=${1:-run}
packages=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libgtk-3-dev libjpeg62-turbo-dev libopenmpt-dev libfreetype-dev libpng-dev
  fonts-dejavu-core fonts-dejavu-extra ffmpeg xvfb xauth
)
if [ "$what" = test ]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev libxmp-dev clang libclang-rt-14-dev valgrind locales
             desktop-file-utils)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "deps: installing ${missing[*]}"
if ! command -v apt-get >/dev/null 2>&1; then
  echo "deps: no apt-get here; install the equivalents of: ${missing[*]}" >&2
  exit 1
fi
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  sudo=(sudo -n)
else
  echo "deps: cannot install as $(id -un); run as root: apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
