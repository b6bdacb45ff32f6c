#!/bin/sh
# Sets up, builds and runs every test (offscreen, no display needed).
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
(cd build && ctest --output-on-failure -j2 "$@")

# The fuzz corpora once more under AddressSanitizer and UBSan: a bad read
# that the plain build survives fails here.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRKA_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)" --target fuzz_rtf_replay fuzz_rtf_roundtrip_replay \
  fuzz_rtf_lexer_replay fuzz_fieldrecord_replay
(cd build-asan && ctest --output-on-failure -R _replay)
