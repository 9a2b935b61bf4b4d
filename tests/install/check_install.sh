#!/usr/bin/env bash
# Installs the build into a scratch prefix, puts item-name files into the program folder
# as a user would, and runs the installed h7extract through its bin link on sample data.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(cd "$prefix" && ls -d lib*/h7select)
for f in bin/h7select bin/h7extract bin/h7sample "$libdir/h7select" share/applications/h7select.desktop \
         share/icons/hicolor/scalable/apps/h7select.svg; do
  [ -e "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done
[ -L "$prefix/bin/h7extract" ] || { echo "bin/h7extract is not a link"; exit 1; }

"$prefix/bin/h7sample" --names --out "$prefix/$libdir" >/dev/null
"$prefix/bin/h7sample" --data --out "$prefix/data" --pref 13 --group 1 --records 20 >/dev/null
"$prefix/bin/h7extract" --input "$prefix/data" --output "$prefix/out.csv" --pref 13 --group 1 --items 1-5 2>"$prefix/err"
grep -q "正常終了  KCNT= 1361   ICNT=  20  ,OCNT=  21" "$prefix/err" || { cat "$prefix/err"; exit 1; }

# Without the item-name files the message names the folder it looked in.
rm "$prefix/$libdir"/NAMEH7S*.CCC
if "$prefix/bin/h7extract" --input "$prefix/data" --output "$prefix/out.csv" --pref 13 --group 1 --items 1 2>"$prefix/err"; then
  echo "ran without item-name files"; exit 1
fi
grep -q "$prefix/$libdir" "$prefix/err" || { echo "the message does not name the folder:"; cat "$prefix/err"; exit 1; }
echo "install layout ok"
