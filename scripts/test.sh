#!/usr/bin/env bash
# Installs what is missing; builds the tool, its tests and the benchmarks with the address and
# undefined-behaviour sanitizers, checks that build's install tree and runs the whole suite
# there, each test case its own ctest entry, as many at once as there are processors (the
# benchmarks are built, never run: CI does not time things); fuzzes every parser of untrusted
# bytes for 5 s each; then runs the tests of the threaded parts once more under the thread
# sanitizer. Prints each phase's time at the end: the whole run, package installs included,
# must stay under 20 minutes on a 2-processor machine.
# The builds compile each library as a few unity files, which halves the build time, and keep
# line tables for the sanitizers' reports. (scripts/package.sh and scripts/run.sh compile every
# file alone, so a file that lacks an include of its own still fails there.)
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
jobs=$(nproc)
sanitized=(-G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_UNITY_BUILD=ON -DCMAKE_CXX_FLAGS_DEBUG=-g1)

times=()
phase() { # name, command...: runs the command and notes its time
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  "$@"
  times+=("$(printf '%-52s %5d s' "$name" $((SECONDS - start)))")
}

# The programs alone, without tests and benchmarks, as run.sh and package.sh build them: their
# configuration must hold. Compiling them once more would add nothing: the sanitizer build
# compiles the same files with the same warnings.
configure_programs_alone() {
  cmake -S . -B build-test-plain -G Ninja -DRFID_BUILD_TESTS=OFF -DRFID_BUILD_BENCH=OFF >/dev/null
}
build_asan() {
  cmake -S . -B build-test-asan "${sanitized[@]}" -DRFID_BUILD_BENCH=ON -DRFID_SANITIZE=address,undefined >/dev/null
  cmake --build build-test-asan -j"$jobs"
}
# Only what the threaded parts' tests need.
build_tsan() {
  cmake -S . -B build-test-tsan "${sanitized[@]}" -DRFID_BUILD_BENCH=OFF -DRFID_SANITIZE=thread >/dev/null
  cmake --build build-test-tsan -j"$jobs" --target tests_serial tests_link tests_files tests_commission
}

# One throwaway PostgreSQL server for the shared journal's tests (a Unix socket in a temporary
# folder, no TCP), stopped at the end whatever happens; each test makes a database of its own.
pgdir=$(mktemp -d /tmp/rfid-pg-XXXXXX)
trap 'bash scripts/pg-test-server.sh stop "$pgdir"; rm -rf "$pgdir"' EXIT
start_pg() {
  RFID_TEST_PG_URI=$(bash scripts/pg-test-server.sh start "$pgdir")
  export RFID_TEST_PG_URI
}

phase "packages" bash scripts/deps.sh
phase "PostgreSQL server for the tests" start_pg
phase "configure the programs alone" configure_programs_alone
phase "build (address + undefined sanitizers)" build_asan
# The install rules are the package's, whatever the build; the check also runs the installed
# udev probe, here under the sanitizers.
phase "install tree (of the sanitizer build)" bash scripts/check-install.sh build-test-asan
phase "tests (address + undefined sanitizers)" ctest --test-dir build-test-asan --output-on-failure -j"$jobs"
phase "fuzzing the parsers (libFuzzer, 5 s each)" bash scripts/fuzz.sh 5
phase "build (thread sanitizer)" build_tsan
phase "tests (thread sanitizer: serial, USB I/O thread, files, jobs)" \
  ctest --test-dir build-test-tsan --output-on-failure -j"$jobs" -L '^(serial|link|files|commission)$'

echo
printf '%s\n' "${times[@]}"
printf '%-52s %5d s\n' "whole run" "$SECONDS"
