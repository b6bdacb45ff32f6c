#!/bin/sh
# Sets up, builds and runs every test (offscreen, no display needed).
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
cd build
ctest --output-on-failure -j2 "$@"
