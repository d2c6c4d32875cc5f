#!/usr/bin/env bash
# Installs what the build, the show and the tests need on Debian 12, if anything is missing.
# Usage: scripts/deps.sh run|test|web
# As root it uses apt-get directly, otherwise sudo when that works without a prompt; when
# neither can install, it names the packages to install and fails.
set -euo pipefail

what=${1:-run}
packages=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libgtk-3-dev libjpeg62-turbo-dev libopenmpt-dev libfreetype-dev libpng-dev
  fonts-dejavu-core fonts-dejavu-extra ffmpeg xvfb xauth
)
# The web build (./web): the compiler, its optimizer's parser, and the tools apt-get source needs.
web_packages=(emscripten node-acorn nodejs python3 dpkg-dev)
if [ "$what" = test ]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev libxmp-dev clang libclang-rt-14-dev valgrind locales
             desktop-file-utils chromium)
  packages+=("${web_packages[@]}")
fi
[ "$what" = web ] && packages+=("${web_packages[@]}")

# The web build compiles the distribution's own JPEG and module library sources, which
# apt-get source fetches from the source archive named here.
sources_list=/etc/apt/sources.list.d/coldmeridian-src.sources
has_source_archive() {
  [ -f "$sources_list" ] || grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ ||
    grep -qs '^deb-src ' /etc/apt/sources.list
}
add_source_archive() {
  echo "deps: adding the Debian source archive ($sources_list)"
  printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm bookworm-updates' \
    'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' '' \
    'Types: deb-src' 'URIs: http://deb.debian.org/debian-security' 'Suites: bookworm-security' \
    'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
    "${sudo[@]}" tee "$sources_list" >/dev/null
  "${sudo[@]}" apt-get update -qq
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
needs_sources=0
if [ "$what" != run ] && ! has_source_archive; then needs_sources=1; fi
[ ${#missing[@]} -eq 0 ] && [ $needs_sources -eq 0 ] && exit 0

[ ${#missing[@]} -gt 0 ] && echo "deps: installing ${missing[*]}"
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
  [ $needs_sources -eq 1 ] && echo "deps: and add a deb-src entry for bookworm main to the apt sources" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ $needs_sources -eq 1 ]; then add_source_archive; fi
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
