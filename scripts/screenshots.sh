#!/usr/bin/env bash
# Takes the README's screenshots of Kelvaro under a private X server (Xvfb):
# docs/screenshots/main.png, search.png, dictionary.png and options.png.
# Sets up and builds first, as scripts/run.sh does; with a program folder as
# its argument it uses that folder as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -gt 0 ]; then
    program_dir=$1
else
    scripts/setup.sh
    program_dir=build/kelvaro
fi
python3 tests/e2e/screenshots.py --program-dir "$program_dir" --output docs/screenshots
