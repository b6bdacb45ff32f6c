#!/bin/sh
# fuzz/run.sh MINUTES     builds the fuzz targets with clang, libFuzzer,
#                         AddressSanitizer and UBSan, and runs each one for
#                         MINUTES; prints inputs run, speed, coverage and
#                         anything found (kept under BUILD/fuzz/findings).
# fuzz/run.sh minimize    shrinks each corpus in the source tree to the
#                         inputs that add coverage in that build.
# Environment: FUZZ_BUILD (build folder, default build-fuzz), FUZZ_TARGETS
# (names to run, default all), FUZZ_NICE (niceness, default 19).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
build=${FUZZ_BUILD:-$src/build-fuzz}
nice=${FUZZ_NICE:-19}
mode=${1:?usage: fuzz/run.sh MINUTES | minimize}

launcher=
command -v ccache >/dev/null 2>&1 && launcher=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake -S "$src" -B "$build" -DMIRKA_FUZZ=ON -DMIRKA_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ $launcher >/dev/null
list=$build/fuzz/targets.txt
targets=${FUZZ_TARGETS:-$(cut -d' ' -f1 "$list")}
for t in $targets; do
  nice -n "$nice" cmake --build "$build" -j2 --target "$t" >/dev/null
done

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
for t in $targets; do
  line=$(grep "^$t " "$list")
  corpus=$(echo "$line" | cut -d' ' -f2)
  dict=$(echo "$line" | cut -d' ' -f3)
  maxlen=$(echo "$line" | cut -d' ' -f4)
  if [ "$mode" = minimize ]; then
    tmp=$build/fuzz/minimize/$t
    rm -rf "$tmp" && mkdir -p "$tmp"
    nice -n "$nice" "$build/fuzz/$t" -merge=1 "$tmp" "$corpus" 2>&1 | tail -1
    rm -f "$corpus"/* && cp "$tmp"/* "$corpus"/
    echo "$t: $(ls "$corpus" | wc -l) inputs kept"
    continue
  fi
  work=$build/fuzz/work/$t
  found=$build/fuzz/findings/$t
  mkdir -p "$work" "$found"
  log=$build/fuzz/$t.log
  nice -n "$nice" "$build/fuzz/$t" "$work" "$corpus" -dict="$dict" -max_len="$maxlen" \
    -max_total_time=$((mode * 60)) -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$found/" >"$log" 2>&1 || status=1
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
  findings=$(ls "$found" | wc -l)
  echo "$t: ${runs:-?} inputs, ${speed:-?} exec/s, $cov, $findings findings in $found (log $log)"
  [ "$findings" -eq 0 ] || { ls "$found"; status=1; }
done
exit $status
