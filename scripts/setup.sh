#!/bin/sh
# Installs what building and testing Mirka needs on Debian (12 or later) and
# configures and builds it in build/. Needs root (or sudo) for apt-get only
# when something is missing.
set -eu
cd "$(dirname "$0")/.."

PKGS="cmake g++ make qt6-base-dev qt6-webengine-dev qt6-svg-dev qt6-translations-l10n libgl-dev libqt6sql6-sqlite \
      fonts-noto-cjk fonts-ipafont-gothic poppler-utils xvfb xauth imagemagick libreoffice-writer-nogui"
missing=""
for p in $PKGS; do
  # Any LibreOffice Writer judges what the RTF writer writes (test_rtforacle).
  [ "$p" = libreoffice-writer-nogui ] && command -v soffice >/dev/null 2>&1 && continue
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
