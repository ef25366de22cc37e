#!/usr/bin/env bash
# Renders the icon's PNG sizes from the SVG beside this script (Debian package librsvg2-bin).
# The PNGs are kept in the repository, so building needs no SVG renderer; run this after
# changing the SVG.
set -euo pipefail
cd "$(dirname "$0")"
id=org.rfidworkbench.RfidWorkbench
for size in 16 24 32 48 64 128 256; do
  mkdir -p "${size}x${size}"
  rsvg-convert -w "$size" -h "$size" "$id.svg" -o "${size}x${size}/$id.png"
done
