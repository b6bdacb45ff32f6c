#!/bin/sh
# Saves the note over and over and kills the saving program with SIGKILL at
# a random moment, then opens the note and checks that its files are of one
# version. Usage: tools/killloop.sh BUILD_DIR [RUNS]
set -u
build=$1
runs=${2:-100}
tool=$build/tools/mirka_notekill
dir=$(mktemp -d)
mixed=0
opened=0
for i in $(seq 1 "$runs"); do
    "$tool" save "$dir" 2>/dev/null &
    pid=$!
    # Between 0.05 and 2 seconds: some kills land in the first save after
    # an open, some deep in a later one.
    sleep "$(awk -v s="$i" 'BEGIN { srand(s); printf "%.2f", 0.05 + rand() * 1.95 }')"
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    result=$("$tool" check "$dir")
    case $result in
    ok*) opened=$((opened + 1)) ;;
    none) ;;
    *) mixed=$((mixed + 1)); echo "run $i: $result" ;;
    esac
done
echo "$runs kills: $opened opened whole, $mixed mixed; last: $result"
echo "left in the copies folder: $(ls "$dir"/*.files 2>/dev/null | wc -l) files"
rm -rf "$dir"
[ "$mixed" -eq 0 ]
