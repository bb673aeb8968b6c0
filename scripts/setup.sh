#!/usr/bin/env bash
# Installs what Kelvaro needs on a Debian machine (only what is missing) and
# builds it, assembling the program folder build/kelvaro/.
# Idempotent; works as root or through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake g++ ninja-build ccache python3 pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev libgl-dev
    fonts-liberation
    # end-to-end and output checks
    xvfb xdotool openbox unrtf poppler-utils
    # the README's screenshots (scripts/screenshots.sh)
    imagemagick
    # the reference search tool measured by the benchmarks
    diatheke sword-text-kjv
    # the format check of .ci/run
    clang-format
    # the desktop icons and the Debian package (scripts/package.sh, .ci/run)
    qt6-svg-dev dpkg-dev debhelper file lintian desktop-file-utils appstream
)
# Callers may ask for more (scripts/bench.sh: the peers it measures).
# shellcheck disable=SC2206
packages+=(${KELVARO_EXTRA_PACKAGES:-})
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_type=${KELVARO_BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$build_type" ${KELVARO_CMAKE_ARGS:-} >/dev/null
cmake --build build
