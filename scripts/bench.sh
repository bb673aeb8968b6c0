#!/usr/bin/env bash
# Sets up and builds Kelvaro with the peers it is measured against (Debian's
# diatheke with mkfastmod, and bible-kjv), builds the benchmarks and prints
# their medians on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."
KELVARO_EXTRA_PACKAGES="libsword-utils bible-kjv" scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
benches=$(cd bench && ls bench_*.cpp | sed 's/\.cpp$//')
cmake --build build --target $benches >/dev/null
export QT_QPA_PLATFORM=offscreen
echo "Kelvaro speed table ($(nproc) cores, $(date -u +%Y-%m-%d))"
for bench in $benches; do
    echo
    echo "== $bench"
    "build/bench/$bench" "$PWD/build/kelvaro" 2>/dev/null | grep -v '^QStandardPaths'
done
echo
echo "== start of the real executable under Xvfb"
python3 bench/start_under_xvfb.py "$PWD/build/kelvaro"
