#!/usr/bin/env bash
# The Debian packages as users get them: built by scripts/package.sh, h7select installed into
# this machine with apt-get alone (no recommends: no map module, no GDAL), the installed
# h7sample and h7extract run from /usr/bin on a synthetic sample and a map refused naming the
# module; then h7select-map installed and a map made; then both purged: none of the
# packages' files may be left behind.
# Meant for CI (a fresh machine): it refuses to replace an h7select installed already.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 -y -qq "$@" >/dev/null; }
installed() { dpkg-query -W -f='${Status}' "${1:-h7select}" 2>/dev/null | grep -q "ok installed"; }
if installed; then echo "test-package.sh: h7select is installed on this machine already" >&2; exit 1; fi

bash scripts/package.sh
echo "---- install, run from /usr/bin, purge"
apt_get install --no-install-recommends "$PWD/$(ls build/package/h7select_*.deb)"
files=$(dpkg-query -L h7select)
work=$(mktemp -d)
trap 'rm -rf "$work"; for p in h7select-map h7select; do ! installed $p || apt_get purge $p; done' EXIT

/usr/bin/h7sample --names --data --out "$work" --pref 13 --group 1 --records 20 >/dev/null
/usr/bin/h7extract --input "$work" --output "$work/out.csv" --pref 13 --group 1 --items 1-5 2>"$work/err"
grep -q "正常終了  KCNT= 1361   ICNT=  20  ,OCNT=  21" "$work/err" && [ "$(wc -l <"$work/out.csv")" -eq 21 ] ||
  { echo "the installed h7extract:"; cat "$work/err"; exit 1; }
if ldd /usr/lib/h7select/h7select | grep "not found"; then echo "h7select lacks a library"; exit 1; fi
echo "installed: $(grep -c . <<<"$files") paths; h7sample and h7extract ran from /usr/bin: $(cat "$work/err")"
if ldd /usr/lib/h7select/h7extract /usr/lib/h7select/libh7extract.so | grep libgdal; then echo "h7extract links GDAL"; exit 1; fi

# Without h7select-map a map is refused, naming the module (exit 2); with it, the map is made.
map() { /usr/bin/h7extract --input "$work" --output "$work/map.gpkg" --pref 13 --group 1 --items 1-5 \
          --boundaries "$work/boundaries.gpkg" 2>"$work/err"; }
status=0; map || status=$?
[ $status -eq 2 ] && grep -q "/usr/lib/h7select/libh7map.so" "$work/err" || { echo "a map without h7select-map ($status):"; cat "$work/err"; exit 1; }
apt_get install "$PWD/$(ls build/package/h7select-map_*.deb)"
files+=$'\n'$(dpkg-query -L h7select-map)
/usr/bin/h7sample --data --boundaries --out "$work" --pref 13 --group 1 --records 20 >/dev/null
map && grep -q "結合: 20 地域, 境界なし 0, データなし 0, 統合 0 地域（0 図形）" "$work/err" || { echo "the map with h7select-map:"; cat "$work/err"; exit 1; }
echo "h7select-map: $(tail -n 1 "$work/err")"

apt_get purge h7select h7select-map
left=()
while read -r path; do
  [ "$path" != "/." ] && { [ -e "$path" ] || [ -L "$path" ]; } || continue
  [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1 && continue  # another package's folder too
  left+=("$path")
done <<<"$files"
[ ${#left[@]} -eq 0 ] || { printf 'left after purge: %s\n' "${left[@]}"; exit 1; }
echo "purged: none of the $(grep -c . <<<"$files") paths left"
