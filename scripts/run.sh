#!/bin/sh
# Sets up, builds and starts Mirka.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
# QtWebEngine refuses its sandbox when run as root.
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
exec ./build/mirka "$@"
