#!/usr/bin/env bash
# Installs every Debian package that building, running and testing brenmo needs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-format
  qtbase5-dev qtdeclarative5-dev qtdeclarative5-dev-tools qttools5-dev-tools
  libqt5serialport5-dev libqt5charts5-dev qtquickcontrols2-5-dev
  qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-controls
  qml-module-qtquick-controls2 qml-module-qtquick-dialogs qml-module-qtquick-layouts
  qml-module-qtquick-templates2 qml-module-qtcharts qml-module-qttest
  qml-module-qtqml-models2 qml-module-qt-labs-folderlistmodel qml-module-qt-labs-settings
  libxlsxwriter-dev libminizip-dev zlib1g-dev
  # the measurement archive: Qt SQL's SQLite driver
  libqt5sql5-sqlite
  python3 python3-openpyxl locales poppler-utils
  xvfb xauth x11-apps imagemagick fonts-dejavu-core socat
  # the English catalogue (lrelease, lupdate), the install test's validators, the .deb
  qttools5-dev desktop-file-utils appstream dpkg-dev file lintian
  # the framework's Russian texts; the X11 extras tell whether a compositor runs
  qttranslations5-l10n libqt5x11extras5-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The users run ru_RU.UTF-8, and the tests run in it too (scripts/test.sh): generate it.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen
fi
