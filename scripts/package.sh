#!/usr/bin/env bash
# Builds the Debian package with CPack into build/ and lists what it holds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh build
apt_have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
apt_have dpkg-dev || { sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo; $sudo apt-get install -y -qq dpkg-dev >/dev/null; }
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"
(cd build && cpack -G DEB >/dev/null)
deb=$(ls -t build/h7select_*.deb | head -1)
echo "$deb"
dpkg-deb -f "$deb" Package Version Depends
dpkg -c "$deb"
