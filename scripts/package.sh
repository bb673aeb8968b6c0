#!/usr/bin/env bash
# Builds the Debian package of the current tree: the same set-up and build
# as scripts/setup.sh, then CPack's DEB generator over what cmake --install
# lays out. Prints the path of the .deb as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
rm -f build/kelvaro_*.deb
(cd build && cpack -G DEB >&2)
debs=(build/kelvaro_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "package.sh: CPack made no single kelvaro_*.deb in build/" >&2
    exit 1
fi
echo "$PWD/${debs[0]}"
