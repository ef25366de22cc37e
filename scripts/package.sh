#!/usr/bin/env bash
# Builds the Debian package: a Release build for prefix /usr in build-package, then CPack.
# Prints the package's path; install it with: sudo apt install ./<that file>
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
dir=build-package
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DRFID_BUILD_TESTS=OFF -DRFID_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)"
out=$(cpack --config "$dir/CPackConfig.cmake" -B "$dir")
deb=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' <<<"$out")
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
  echo "$out" >&2
  echo "package.sh: CPack made no .deb" >&2
  exit 1
fi
echo "$deb"
