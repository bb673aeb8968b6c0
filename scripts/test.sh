#!/usr/bin/env bash
# Sets up and builds Kelvaro, then runs the whole test suite offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
