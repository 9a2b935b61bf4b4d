#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (only the missing ones).
# Usage: scripts/deps.sh [build|test|run|gui|desktop|bench|fuzz|package|emulate|map|readme|npm]...
set -euo pipefail

packages=(build-essential cmake qt6-base-dev libgtest-dev help2man libgdal-dev libarchive-dev)  # GDAL: the map output; libarchive: archives
for want in "$@"; do
  case "$want" in
    build) ;;
    test) packages+=(python3-gdal) ;;  # GDAL's GeoPackage validator, run by the map tests
    run) packages+=(fonts-ipafont-gothic) ;;
    gui) packages+=(fonts-ipafont-gothic xvfb xauth xdotool imagemagick) ;;
    desktop) packages+=(fonts-ipafont-gothic xvfb xauth xdotool x11-utils openbox) ;;  # a real desktop with a window manager
    bench) packages+=(hyperfine mawk time libbenchmark-dev) ;;
    fuzz) packages+=(clang-14 libclang-rt-14-dev llvm-14) ;;  # libFuzzer, sanitizer runtimes, symbolizer
    # the Debian package: debian/control's Build-Depends beyond the build set, the tools and the checkers
    package) packages+=(dpkg-dev debhelper lintian appstream desktop-file-utils) ;;
    emulate) packages+=(qemu-user) ;;  # the tests on emulated processors without AVX-512 or AVX2
    map) packages+=(gdal-bin) ;;  # ogrinfo and the rasterizing tools of the map demo
    # what README's examples use: pandas, R's readr, GDAL's tools, zip, Xvfb
    readme) packages+=(python3-pandas r-cran-readr gdal-bin zip xvfb xauth fonts-ipafont-gothic) ;;
    npm) packages+=(npm) ;;  # only where no Node.js is installed (another Node.js conflicts with it)
    *) echo "deps.sh: unknown set '$want'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
