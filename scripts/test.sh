#!/usr/bin/env bash
# Installs what is missing, builds the tool and its tests twice (plain, and with the address
# and undefined-behaviour sanitizers) and runs the whole suite in both builds; checks the
# install tree of the plain build; fuzzes every parser of untrusted bytes for 10 s each; then
# runs the threaded transports' tests once more under the thread sanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
for variant in plain asan; do
  dir=build-test-$variant
  bench=OFF; [ $variant = plain ] && bench=ON # built, never run here: CI does not time things
  flags=(-DCMAKE_BUILD_TYPE=Debug -DRFID_BUILD_BENCH=$bench)
  [ $variant = asan ] && flags+=(-DRFID_SANITIZE=address,undefined)
  cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
  cmake --build "$dir" -j"$jobs"
  echo "== tests ($variant build)"
  ASAN_OPTIONS=detect_leaks=0 ctest --test-dir "$dir" --output-on-failure
done
echo "== fuzzing the parsers of untrusted bytes (libFuzzer, address + undefined, 10 s each)"
bash scripts/fuzz.sh 10
echo "== install tree (plain build)"
bash scripts/check-install.sh build-test-plain
dir=build-test-tsan
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRFID_BUILD_BENCH=OFF -DRFID_SANITIZE=thread >/dev/null
cmake --build "$dir" -j"$jobs" --target tests_serial tests_link tests_files
echo "== tests (tsan build: serial transport, USB I/O thread, session log writer)"
ctest --test-dir "$dir" --output-on-failure -R '^(serial|link|files)$'
