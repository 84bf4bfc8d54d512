#!/usr/bin/env bash
# Installs the Debian packages the build needs, and any given as arguments, when missing.
set -euo pipefail

packages=(g++ cmake ninja-build qt6-base-dev zlib1g-dev libgtest-dev libgmock-dev desktop-file-utils appstream fonts-dejavu-core "$@")
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Another install under way (a second build, say) is waited for rather than failed on: dpkg's
# lock by apt's own timeout, the package lists' lock, which update takes without one, by trying
# again for up to ten minutes.
for attempt in $(seq 60); do
    $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq && break
    [ "$attempt" -eq 60 ] && exit 1
    sleep 10
done
$sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" </dev/null
