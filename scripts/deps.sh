#!/usr/bin/env bash
# Installs the Debian packages the tool and its tests need (sudo when not root). The EPCIS
# tests validate documents with python3-jsonschema (python3-rfc3987 checks its "uri" format)
# and xmllint of libxml2-utils; the shared journal links libpq, and its tests start a server of
# their own from the postgresql package.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-charts-dev libhidapi-dev libjpeg62-turbo-dev
      libgtest-dev libbenchmark-dev clang-14 libclang-rt-14-dev fonts-wqy-zenhei xvfb xauth unrtf
      desktop-file-utils appstream dpkg-dev file man-db python3-jsonschema python3-rfc3987 libxml2-utils
      libpq-dev postgresql)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
