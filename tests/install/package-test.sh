#!/usr/bin/env bash
# Builds the .deb with CPack from the build, checks what it holds and what it depends on,
# and lets apt resolve its installation (without installing it).
#
#   package-test.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?build folder}" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; fail "cpack"; }
deb=$(ls "$out"/brenmo_*.deb)

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/brenmo ./usr/share/applications/com.tivor.brenmo.desktop \
  ./usr/share/metainfo/com.tivor.brenmo.metainfo.xml ./usr/lib/udev/rules.d/70-brenmo.rules \
  ./usr/share/brenmo/translations/brenmo_en.qm ./usr/share/icons/hicolor/48x48/apps/brenmo.png; do
  grep -qxF "$file" <<<"$contents" || fail "the package lacks $file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt5serialport5 libxlsxwriter qml-module-qtcharts qml-module-qtquick-controls \
  qttranslations5-l10n; do
  grep -q "$package" <<<"$depends" || fail "the package does not depend on $package: $depends"
done
dpkg-deb -I "$deb" postinst >/dev/null || fail "no postinst to reload the udev rules"

# The changelog names the version the package has.
version=$(dpkg-deb -f "$deb" Version)
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/brenmo/changelog.gz | gunzip |
  head -n 1 | grep -qF "brenmo ($version)" ||
  fail "packaging/changelog does not begin with version $version"
if command -v lintian >/dev/null; then
  lintian --no-tag-display-limit "$deb" >"$out/lintian.log" 2>&1 || true
  if grep -q '^E:' "$out/lintian.log"; then
    cat "$out/lintian.log"
    fail "lintian finds errors"
  fi
fi

if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
  apt-get install --simulate --no-install-recommends "$deb" >"$out/apt.log" 2>&1 ||
    { cat "$out/apt.log"; fail "apt cannot install $deb"; }
fi
echo "$(basename "$deb"): contents, dependencies and postinst as expected"
