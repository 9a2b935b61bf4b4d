#!/usr/bin/env bash
# The map demo: synthetic census data and its squares (h7sample --boundaries), joined by
# h7extract into a GeoPackage, described by ogrinfo and drawn with GDAL's own tools: the
# population column rasterized and coloured, into docs/map.png (OUT to write elsewhere).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh map
bash scripts/build.sh
demo=build/map-demo
rm -rf "$demo" && mkdir -p "$demo"
build/bin/h7sample --data --boundaries --out "$demo" --pref 13 --group 1 --records 1000 >/dev/null
build/bin/h7extract --input "$demo" --output "$demo/tokyo.gpkg" --pref 13 --group 1 --items 1-3,18 --numerify \
  --boundaries "$demo/boundaries.gpkg"
ogrinfo -so -al "$demo/tokyo.gpkg" | grep -E '^(Layer name|Geometry:|Feature Count|[^ ]+: (String|Real))'
cat >"$demo/colors.txt" <<'COLORS'
nv 255 255 255 0
0 255 255 204
10 254 217 118
100 253 141 60
1000 227 26 28
10000 128 0 38
COLORS
gdal_rasterize -q -a 人口総数 -ts 512 512 -a_nodata -1 -init -1 -ot Float32 "$demo/tokyo.gpkg" "$demo/population.tif"
gdaldem color-relief -q "$demo/population.tif" "$demo/colors.txt" "$demo/coloured.tif" -alpha
GDAL_PAM_ENABLED=NO gdal_translate -q -of PNG "$demo/coloured.tif" "${OUT:-docs/map.png}"
echo "${OUT:-docs/map.png}: 人口総数 of the 1000 synthetic areas"
