#!/usr/bin/env bash
# Builds the libFuzzer targets of the reply parsers with clang (address and undefined-behaviour
# sanitizers on) and runs each for the given seconds (default 30), two at a time. Exits non-zero
# when a target finds a crash, a read past the end or undefined behaviour.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
dir=build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRFID_BUILD_FUZZ=ON \
    -DRFID_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)"

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
mapfile -t targets < <(find "$dir/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort)
run() {
    local target=$1 name
    name=$(basename "$target")
    local corpus="$dir/corpus/$name"
    mkdir -p "$corpus"
    # Seeds: a few well-formed replies, so the search starts from frames the reader sends.
    printf '\xAA\x00\x01\x00\x01\xBB' >"$corpus/seed-ok"
    printf '\xAA\x00\x02\x01\x83\x80\xBB' >"$corpus/seed-refused"
    printf '\xAA\x00\x0E\x00\xBB\x02\x22\x00\x0D\xC8\x30\x00\xE2\x00\x00\x01\x12\x34\x00\x7E\x00\xBB' >"$corpus/seed-module"
    if "$target" "$corpus" -max_total_time="$seconds" -max_len=600 -print_final_stats=1 -artifact_prefix="$dir/$name-" \
        >"$dir/$name.log" 2>&1; then
        echo "$name: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$dir/$name.log" | grep -o '[0-9]*$') runs, no failure"
    else
        echo "$name: FAILED"
        tail -40 "$dir/$name.log"
        return 1
    fi
}
export -f run
export dir seconds
printf '%s\n' "${targets[@]}" | xargs -P 2 -I{} bash -c 'run {}'
