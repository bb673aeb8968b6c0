#!/usr/bin/env bash
# The packages of PACKAGE_DIR installed over 1.0.1, whose program folder
# /usr/lib/kelvaro held the document folders that are now links into
# /usr/share/kelvaro: each must become its link, with the pages behind it.
# Runs dpkg on a private root (no chroot needed), never on the machine's own.
# Usage: tests/package_upgrade.sh PACKAGE_DIR
set -euo pipefail
packages=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folders=(ebd mhc jfb help salvation)

# 1.0.1's layout, as its package laid it out.
old=$work/old
mkdir -p "$old/DEBIAN" "$old/usr/lib/kelvaro"
for folder in "${folders[@]}"; do
    mkdir "$old/usr/lib/kelvaro/$folder"
    echo old >"$old/usr/lib/kelvaro/$folder/index.htm"
done
printf 'Package: kelvaro\nVersion: 1.0.1\nArchitecture: %s\nMaintainer: The Kelvaro developers <kelvaro@kelvaro.invalid>\nDescription: Bible reader (the layout of 1.0.1)\n' \
    "$(dpkg-architecture -qDEB_HOST_ARCH)" >"$old/DEBIAN/control"
dpkg-deb -b "$old" "$work/old.deb" >/dev/null

root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status"
# Only the packages under test are in that root: their dependencies are
# forced, and dpkg's complaints about them kept out of sight unless it fails.
install_packages() {
    if ! dpkg --root="$root" --force-script-chrootless --force-depends --force-not-root \
        --log=/dev/null -i "$@" >"$work/dpkg.log" 2>&1; then
        cat "$work/dpkg.log" >&2
        exit 1
    fi
}
install_packages "$work/old.deb"
install_packages "$packages"/kelvaro-data_*_all.deb "$packages"/kelvaro_*_"$(dpkg-architecture -qDEB_HOST_ARCH)".deb

for folder in "${folders[@]}"; do
    link=$root/usr/lib/kelvaro/$folder
    if [ ! -L "$link" ] || [ -z "$(ls -A "$link/")" ]; then
        echo "package_upgrade.sh: after the upgrade /usr/lib/kelvaro/$folder is no link to its pages" >&2
        ls -la "$root/usr/lib/kelvaro" >&2
        exit 1
    fi
done
echo "upgrade from 1.0.1: ${folders[*]} are links to their pages"
