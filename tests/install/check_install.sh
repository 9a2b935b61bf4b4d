#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed h7extract through its bin
# link on sample data, with the item-name files where users keep them: beside the census
# data, then in the system's data folder of the program; none at all names every place. With
# the map module built, the installed programs find it beside them and make a map.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(cd "$prefix" && ls -d lib*/h7select)
for f in bin/h7select bin/h7extract bin/h7sample "$libdir/h7select" "$libdir/libh7extract.so" \
         share/applications/h7select.desktop share/icons/hicolor/scalable/apps/h7select.svg \
         share/metainfo/org.example.h7select.metainfo.xml \
         share/man/man1/h7select.1 share/man/man1/h7extract.1 share/man/man1/h7sample.1 \
         share/bash-completion/completions/h7extract share/bash-completion/completions/h7sample; do
  [ -e "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done
[ -L "$prefix/bin/h7extract" ] || { echo "bin/h7extract is not a link"; exit 1; }
export XDG_DATA_HOME="$prefix/home-data" XDG_DATA_DIRS="$prefix/share"

"$prefix/bin/h7sample" --names --data --out "$prefix/data" --pref 13 --group 1 --records 20 >/dev/null
extract() { "$prefix/bin/h7extract" --input "$prefix/data" --output "$prefix/out.csv" --pref 13 --group 1 --items 1-5 2>"$prefix/err"; }
found() {  # the run and the item list both find the item-name files
  extract && grep -q "正常終了  KCNT= 1361   ICNT=  20  ,OCNT=  21" "$prefix/err" || { echo "$1:"; cat "$prefix/err"; exit 1; }
  [ "$("$prefix/bin/h7extract" --list-items --group 1 --input "$prefix/data" | wc -l)" -eq 1361 ] || { echo "item list, $1"; exit 1; }
}
found "names in the census data folder"
if [ -e "$build/bin/libh7map.so" ]; then
  [ -e "$prefix/$libdir/libh7map.so" ] || { echo "missing after install: $libdir/libh7map.so"; exit 1; }
  "$prefix/bin/h7sample" --data --boundaries --out "$prefix/data" --pref 13 --group 1 --records 20 >/dev/null
  "$prefix/bin/h7extract" --input "$prefix/data" --output "$prefix/map.gpkg" --pref 13 --group 1 --items 1-5 \
    --boundaries "$prefix/data/boundaries.gpkg" 2>"$prefix/err" && grep -q "結合: 20 地域" "$prefix/err" ||
    { echo "installed map output:"; cat "$prefix/err"; exit 1; }
fi
mkdir -p "$prefix/share/h7select"
mv "$prefix"/data/NAMEH7S*.CCC "$prefix/share/h7select/"
found "names in the system data folder"
rm "$prefix"/share/h7select/NAMEH7S*.CCC

# Without the item-name files the message names every place looked at.
if extract; then echo "ran without item-name files"; exit 1; fi
for place in "$prefix/$libdir" "$prefix/data" "$prefix/home-data/h7select" "$prefix/share/h7select"; do
  grep -q "$place/NAMEH7S1.CCC" "$prefix/err" || { echo "the message does not name $place:"; cat "$prefix/err"; exit 1; }
done
# The man page is the --help text; the completion offers the options and the groups.
grep -q -- "--items-matching" "$prefix/share/man/man1/h7extract.1" || { echo "man page without --items-matching"; exit 1; }
completion=$(bash -c 'source "$1/share/bash-completion/completions/h7extract"; COMP_WORDS=("$1/bin/h7extract" --gr); COMP_CWORD=1
  _h7extract; echo "${COMPREPLY[*]}"; COMP_WORDS=("$1/bin/h7extract" --group ""); COMP_CWORD=2; _h7extract; echo "${COMPREPLY[*]}"' _ "$prefix")
[ "$completion" == $'--group\n1 2 3' ] || { echo "completion: $completion"; exit 1; }
echo "install layout ok"
