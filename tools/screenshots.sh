#!/bin/sh
# Remakes docs/images/*.png: the program staged under Xvfb with a window
# manager (openbox), Japanese fonts from fonts-noto-cjk.
set -eu
cd "$(dirname "$0")/.."
cmake --build build --target mirka_screenshots -j"$(nproc)" >/dev/null
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
xvfb-run -a -s "-screen 0 1280x800x24" sh -c \
  'openbox >/dev/null 2>&1 & sleep 1; ./build/tools/mirka_screenshots docs/images'
