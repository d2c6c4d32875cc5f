#!/usr/bin/env bash
# Rewrites the recorder's reference frames (tests/tools/record/reference): two show times in
# each of the nine parts, recorded with seed 1 at 20 frames a second. Run it only after a change
# that is meant to alter the picture, then look at every frame before committing them.
# Usage: tools/record/update-references.sh [build folder, default build/release]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/release}
cmake --build "$build" --target coldmeridian-record
out=$(pwd)/tests/tools/record/reference
mkdir -p "$out"
rm -f "$out"/still_*.png
times=4,10,18,26,35,48,57,61,66,71,78,87,94,100,105,110,125,150
(cd "$build/bin" && ./coldmeridian-record --quiet --seed 1 --fps 20 --stills "$times" --still-dir "$out")
echo "reference frames rewritten in $out"
