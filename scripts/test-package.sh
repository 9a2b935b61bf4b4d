#!/usr/bin/env bash
# The Debian package as users get it: built by scripts/package.sh, installed into this
# machine with apt-get, the installed h7sample and h7extract run from /usr/bin on a
# synthetic sample, then purged; none of the package's files may be left behind.
# Meant for CI (a fresh machine): it refuses to replace an h7select installed already.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 -y -qq "$@" >/dev/null; }
installed() { dpkg-query -W -f='${Status}' h7select 2>/dev/null | grep -q "ok installed"; }
if installed; then echo "test-package.sh: h7select is installed on this machine already" >&2; exit 1; fi

bash scripts/package.sh
echo "---- install, run from /usr/bin, purge"
apt_get install "$PWD/$(ls build/package/h7select_*.deb)"
files=$(dpkg-query -L h7select)
work=$(mktemp -d)
trap 'rm -rf "$work"; ! installed || apt_get purge h7select' EXIT

/usr/bin/h7sample --names --data --out "$work" --pref 13 --group 1 --records 20 >/dev/null
/usr/bin/h7extract --input "$work" --output "$work/out.csv" --pref 13 --group 1 --items 1-5 2>"$work/err"
grep -q "正常終了  KCNT= 1361   ICNT=  20  ,OCNT=  21" "$work/err" && [ "$(wc -l <"$work/out.csv")" -eq 21 ] ||
  { echo "the installed h7extract:"; cat "$work/err"; exit 1; }
if ldd /usr/lib/h7select/h7select | grep "not found"; then echo "h7select lacks a library"; exit 1; fi
echo "installed: $(grep -c . <<<"$files") paths; h7sample and h7extract ran from /usr/bin: $(cat "$work/err")"

apt_get purge h7select
left=()
while read -r path; do
  [ "$path" != "/." ] && { [ -e "$path" ] || [ -L "$path" ]; } || continue
  [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1 && continue  # another package's folder too
  left+=("$path")
done <<<"$files"
[ ${#left[@]} -eq 0 ] || { printf 'left after purge: %s\n' "${left[@]}"; exit 1; }
echo "purged: none of the $(grep -c . <<<"$files") paths left"
