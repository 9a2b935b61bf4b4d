#!/usr/bin/env bash
# Builds the Debian packages from debian/ with dpkg-buildpackage (h7select, and h7select-map:
# the map module), checks them with lintian, appstreamcli and desktop-file-validate, and lists
# what they hold.
# The build runs in a fresh copy of the tree in build/package/, where the .deb files land,
# so that neither the tree nor its parent folder gets build output. The suite runs inside
# the build unless DEB_BUILD_OPTIONS holds nocheck (CI, after the suite has run).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh build package

out=build/package
src=$out/h7select-$(dpkg-parsechangelog -S Version)
rm -rf "$out"
mkdir -p "$src"
# The tree as it is now: tracked and new files, not the ignored ones (build output).
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z --cached --others --exclude-standard | tar --null -T - --ignore-failed-read -cf - 2>/dev/null
else
  tar --exclude='./build*' --exclude=./.git -cf - .
fi | tar -xf - -C "$src"

echo "Building the package in $src (log: $out/build.log)"
if ! (cd "$src" && dpkg-buildpackage -b -us -uc -J"$(nproc)") >"$out/build.log" 2>&1; then
  tail -n 60 "$out/build.log"
  echo "package.sh: dpkg-buildpackage failed; the whole log is $out/build.log" >&2
  exit 1
fi
rm -rf "$src"
deb=$(ls "$out"/h7select_*.deb)

echo "---- lintian"
lintian --display-info --fail-on error,warning "$out"/h7select_*.changes
echo "---- appstreamcli validate --no-net, desktop-file-validate (the files as packaged)"
dpkg-deb -x "$deb" "$out/root"
appstreamcli validate --no-net "$out"/root/usr/share/metainfo/*.metainfo.xml
hints=$(desktop-file-validate "$out"/root/usr/share/applications/*.desktop 2>&1) && [ -z "$hints" ] ||
  { echo "$hints"; exit 1; }
echo "desktop-file-validate: no errors, warnings or hints"
rm -rf "$out/root"

echo "---- packages"
ls -1 "$out"/*.deb
for package in "$deb" "$out"/h7select-map_*.deb; do
  dpkg-deb -f "$package" Package Version Architecture Installed-Size Depends Recommends
  dpkg -c "$package"
done
