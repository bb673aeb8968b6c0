#!/usr/bin/env bash
# Builds the Debian packages of the current tree with debhelper (debian/):
# the source package and the binary package, from a copy of the tree in
# build/package/, so that what dpkg-buildpackage writes beside the tree lands
# there. Installs only what the package's build needs (its Build-Depends),
# builds no test, and prints the paths of the two .deb files, the data's
# then the program's (the last line); the .changes file beside them names
# all the files made.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if ! dpkg-query -W -f='${Status}' dpkg-dev 2>/dev/null | grep -q "install ok installed"; then
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends dpkg-dev >&2
fi
if ! dpkg-checkbuilddeps >/dev/null 2>&1; then
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get build-dep -y -qq --no-install-recommends ./ >&2
fi

version=$(dpkg-parsechangelog -S Version)
work=build/package
source_dir=$work/kelvaro-$version
rm -rf "$work"
mkdir -p "$source_dir"
tar --exclude=./build --exclude='./build-*' --exclude=./.git --exclude='./obj-*' \
    --exclude=./debian/.debhelper --exclude=./debian/kelvaro --exclude=./debian/files \
    --exclude='./debian/*.substvars' --exclude=./debian/debhelper-build-stamp \
    -cf - . | tar -C "$source_dir" -xf -

# debhelper gives the build a home of its own; the compiler cache stays the
# user's, so that a second package build compiles only what changed.
if command -v ccache >/dev/null; then
    CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
    CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(ccache -k base_dir)}
    export CCACHE_DIR CCACHE_BASEDIR
fi
(cd "$source_dir" && dpkg-buildpackage -us -uc -jauto >&2)

# The data, then the program: the program's package is the last line.
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
debs=("$work/kelvaro-data_${version}_all.deb" "$work/kelvaro_${version}_${arch}.deb")
for deb in "${debs[@]}"; do
    if [ ! -f "$deb" ]; then
        echo "package.sh: dpkg-buildpackage made no $deb" >&2
        exit 1
    fi
done
for deb in "${debs[@]}"; do
    echo "$PWD/$deb"
done
