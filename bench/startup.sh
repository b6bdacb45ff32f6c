#!/bin/sh
# Prints the start-up profile: frame shown without and with the start-page
# browser (median of 5 fresh processes each), the busy indicator's CPU, and
# recording pages with their saved copies.
# Runs under Xvfb when present, else offscreen.
set -eu
cd "$(dirname "$0")/.."
cmake --build build --target bench_startup -j"$(nproc)" >/dev/null
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
RUN=""
if command -v xvfb-run >/dev/null; then RUN="xvfb-run -a"; else export QT_QPA_PLATFORM=offscreen; fi
for mode in frame browser; do
  for i in 1 2 3 4 5; do $RUN ./build/bench/bench_startup $mode 2>/dev/null; done | sort -t' ' -k7 -n | sed -n 3p
done
$RUN ./build/bench/bench_startup busy 2>/dev/null
$RUN ./build/bench/bench_startup record 2>/dev/null
