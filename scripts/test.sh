#!/usr/bin/env bash
# Installs what is missing; builds the programs alone (plain) and checks their install tree;
# builds the tool, its tests and the benchmarks with the address and undefined-behaviour
# sanitizers and runs the whole suite there (the benchmarks are built, never run: CI does not
# time things); fuzzes every parser of untrusted bytes for 10 s each; then runs the threaded
# transports' tests once more under the thread sanitizer.
# Every build here compiles each library as a few unity files, which halves the build time;
# the sanitizer builds keep line tables for their reports, the plain one no debug data at all.
# (scripts/package.sh and scripts/run.sh compile every file alone, so a file that lacks an
# include of its own still fails there.)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

# One throwaway PostgreSQL server for the shared journal's tests (a Unix socket in a temporary
# folder, no TCP), stopped at the end whatever happens; each test makes a database of its own.
pgdir=$(mktemp -d /tmp/rfid-pg-XXXXXX)
trap 'bash scripts/pg-test-server.sh stop "$pgdir"; rm -rf "$pgdir"' EXIT
RFID_TEST_PG_URI=$(bash scripts/pg-test-server.sh start "$pgdir")
export RFID_TEST_PG_URI
sanitized=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_UNITY_BUILD=ON -DCMAKE_CXX_FLAGS_DEBUG=-g1)

dir=build-test-plain
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_UNITY_BUILD=ON -DCMAKE_CXX_FLAGS_DEBUG=-g0 \
  -DRFID_BUILD_TESTS=OFF -DRFID_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j"$jobs"
echo "== install tree (plain build)"
bash scripts/check-install.sh "$dir"

dir=build-test-asan
cmake -S . -B "$dir" -G Ninja "${sanitized[@]}" -DRFID_BUILD_BENCH=ON -DRFID_SANITIZE=address,undefined >/dev/null
cmake --build "$dir" -j"$jobs"
echo "== tests (address + undefined sanitizer build)"
ASAN_OPTIONS=detect_leaks=0 ctest --test-dir "$dir" --output-on-failure

echo "== fuzzing the parsers of untrusted bytes (libFuzzer, address + undefined, 10 s each)"
bash scripts/fuzz.sh 10

dir=build-test-tsan
cmake -S . -B "$dir" -G Ninja "${sanitized[@]}" -DRFID_BUILD_BENCH=OFF -DRFID_SANITIZE=thread >/dev/null
cmake --build "$dir" -j"$jobs" --target tests_serial tests_link tests_files
echo "== tests (tsan build: serial transport, USB I/O thread, session log writer)"
ctest --test-dir "$dir" --output-on-failure -R '^(serial|link|files)$'
