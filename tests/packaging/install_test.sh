#!/bin/bash
# Installs the build into a temporary DESTDIR, as a packager would, and checks the result:
# every file inside the prefix and listed in the install manifest, no build-tree path in the
# programs, the installed recorder finding its data by itself from another folder and drawing the
# same still as the build tree's, and manual pages that know every option the programs offer.
# Usage: install_test.sh BUILD_DIR CMAKE
set -u
build=$1 cmake=$2
work=$(mktemp -d)
manifest=$build/install_manifest.txt
# The test's install must not replace the manifest of the user's own install (used to uninstall).
[ -e "$manifest" ] && cp -p "$manifest" "$work/manifest.saved"
cleanup() {
  if [ -e "$work/manifest.saved" ]; then mv "$work/manifest.saved" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

root=$work/root prefix=/opt/cold-meridian
DESTDIR=$root "$cmake" --install "$build" --prefix $prefix > "$work/install.log" || { cat "$work/install.log"; exit 1; }
# The manifest names the files by their place under the prefix, without DESTDIR.
sed "s|^|$root|" "$manifest" > "$work/manifest.txt"
p=$root$prefix

# Where things go: a missing rule shows here.
for f in bin/coldmeridian bin/coldmeridian-record bin/pak lib/coldmeridian/libcoldmeridian-audio.so \
         share/coldmeridian/kelvarin.pak share/coldmeridian/kelvarin.xm share/applications/coldmeridian.desktop \
         share/icons/hicolor/16x16/apps/coldmeridian.png share/icons/hicolor/256x256/apps/coldmeridian.png \
         share/man/man6/coldmeridian.6.gz share/man/man1/coldmeridian-record.1.gz share/man/man1/pak.1.gz \
         share/doc/coldmeridian/copyright; do
  [ -f "$p/$f" ] || fail "$f not installed"
done

# Nothing outside the prefix, and the manifest names exactly what was written.
find "$root" -mindepth 1 ! -type d | sort > "$work/found.txt"
grep -v "^$p/" "$work/found.txt" | sed 's/^/FAIL: outside the prefix: /'
grep -q -v "^$p/" "$work/found.txt" && failures=$((failures + 1))
sort "$work/manifest.txt" | comm -3 - "$work/found.txt" > "$work/diff.txt"
[ -s "$work/diff.txt" ] && fail "install manifest and installed files differ:" && cat "$work/diff.txt"

# No RPATH or RUNPATH pointing into the build (or anywhere): the programs find what they need
# relative to themselves.
for elf in "$p"/bin/* "$p"/lib/coldmeridian/*.so; do
  readelf -d "$elf" | grep -E "RPATH|RUNPATH" && fail "$elf has a run path"
done

# The installed recorder, started from an unrelated folder with no --data, draws the same still
# as the build tree's recorder: a frame in the hall, where the seed places the sparks.
mkdir "$work/elsewhere" "$work/built"
(cd "$work/elsewhere" && "$p/bin/coldmeridian-record" --stills 40 --fps 20 --seed 7 --quiet) ||
  fail "installed recorder failed"
"$build/bin/coldmeridian-record" --stills 40 --fps 20 --seed 7 --quiet --still-dir "$work/built" ||
  fail "build-tree recorder failed"
cmp "$work/elsewhere/still_40.png" "$work/built/still_40.png" || fail "installed still differs from the build tree's"

# Every option a program's --help names is in its manual page.
for page in coldmeridian:man6/coldmeridian.6 coldmeridian-record:man1/coldmeridian-record.1; do
  program=${page%%:*}
  text=$(gzip -dc "$p/share/man/${page#*:}.gz" | sed 's/\\-/-/g')
  # No display, so a program that ignored --help would fail at once instead of opening a window.
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$p/bin/$program" --help) || fail "$program --help failed"
  for option in $(grep -o -- '--[a-z][a-z0-9-]*' <<< "$help" | sort -u); do
    grep -q -- "$option\([^a-z0-9-]\|$\)" <<< "$text" || fail "$program: $option missing from its manual page"
  done
done

desktop-file-validate "$p/share/applications/coldmeridian.desktop" || fail "desktop entry not valid"

[ $failures -eq 0 ] && echo "install into DESTDIR checked"
exit $((failures > 0))
