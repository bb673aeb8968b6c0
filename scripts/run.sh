#!/usr/bin/env bash
# Sets up and builds Kelvaro, then starts it from its program folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cd build/kelvaro
exec ./kelvaro "$@"
