#!/usr/bin/env bash
# Installs what is missing, builds the tool and starts it; arguments go to the tool.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRFID_BUILD_TESTS=OFF >/dev/null
cmake --build build --target rfid-workbench -j"$(nproc)"
exec build/app/rfid-workbench "$@"
