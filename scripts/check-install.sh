#!/usr/bin/env bash
# Checks what `cmake --install` lays out, from an existing build folder (default: build):
# validates the desktop entry and the AppStream metainfo, installs into a temporary DESTDIR
# with prefix /usr and checks every expected file, runs the installed udev probe against
# made-up sysfs devices and renders the manual pages.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
id=$(sed -n 's/^set(RFID_APP_ID "\(.*\)")$/\1/p' cmake/AppIdentity.cmake)
[ -n "$id" ] || { echo "no application id in cmake/AppIdentity.cmake" >&2; exit 1; }
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

desktop-file-validate "packaging/$id.desktop" || fail "desktop-file-validate packaging/$id.desktop"
appstreamcli validate --no-net "$build/packaging/$id.metainfo.xml" >/dev/null ||
  { appstreamcli validate --no-net "$build/packaging/$id.metainfo.xml" >&2 || true; fail "appstreamcli validate"; }

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
root="$stage/usr"

expected=(
  "bin/rfid-workbench"
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$id.svg"
  "share/man/man1/rfid-workbench.1.gz"
  "lib/udev/rfid-workbench-hid-probe"
  "lib/udev/rules.d/60-rfid-workbench.rules"
  "share/doc/rfid-workbench/copyright"
)
for size in 16 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for page in packaging/man/*.1; do
  expected+=("share/man/man1/$(basename "$page").gz")
done
[ -e "$build/app/rfidctl" ] &&
  expected+=("bin/rfidctl" "share/man/man1/rfidctl.1.gz" "share/bash-completion/completions/rfidctl")
for f in "${expected[@]}"; do
  [ -f "$root/$f" ] || fail "missing $f"
done
for f in bin/rfid-workbench lib/udev/rfid-workbench-hid-probe; do
  [ -x "$root/$f" ] || fail "$f is not executable"
done

# Each PNG is as large as its folder says (width and height at bytes 16..23 of the header).
for size in 16 24 32 48 64 128 256; do
  png="$root/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$png" ] || continue
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  if [ "$w" != "$size" ] || [ "$h" != "$size" ]; then fail "$png is ${w}x$h"; fi
done

# One id throughout: the desktop entry's icon, the metainfo's id and launchable.
grep -qx "Icon=$id" "$root/share/applications/$id.desktop" || fail "desktop entry Icon is not $id"
grep -q "<id>$id</id>" "$root/share/metainfo/$id.metainfo.xml" || fail "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/share/metainfo/$id.metainfo.xml" ||
  fail "metainfo launchable is not $id.desktop"

# The licence: Debian's machine-readable copyright file, GPL-3.0-or-later as the metainfo says.
copyright="$root/share/doc/rfid-workbench/copyright"
if [ -f "$copyright" ]; then
  [ "$(head -1 "$copyright")" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
    fail "the copyright file is not in the machine-readable format"
  grep -qx 'Files: \*' "$copyright" || fail "the copyright file has no stanza for every file"
  [ "$(grep -c '^License: GPL-3+$' "$copyright")" = 2 ] || fail "the copyright file does not give GPL-3+ with its text"
  if grep -qE '@[A-Z_]+@' "$copyright"; then fail "the copyright file has an unreplaced @VARIABLE@"; fi
  [ ! -x "$copyright" ] || fail "the copyright file is executable"
fi
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$root/share/metainfo/$id.metainfo.xml" ||
  fail "metainfo project_license is not GPL-3.0-or-later"

# The rule calls the probe where it is installed, and the probe tells readers from the rest.
rules="$root/lib/udev/rules.d/60-rfid-workbench.rules"
grep -q 'IMPORT{program}="/usr/lib/udev/rfid-workbench-hid-probe %S%p"' "$rules" ||
  fail "the rule does not call /usr/lib/udev/rfid-workbench-hid-probe"
if grep -q '@' "$rules"; then fail "the rule has an unreplaced @VARIABLE@"; fi
probe="$root/lib/udev/rfid-workbench-hid-probe"
sys="$stage/sys"
device() { # name, descriptor bytes in hex
  mkdir -p "$sys/$1/hid/hidraw/$1"
  ln -s ../.. "$sys/$1/hid/hidraw/$1/device"
  printf '%b' "$(sed 's/../\\x&/g' <<<"$2")" >"$sys/$1/hid/report_descriptor"
}
device reader 0600ff0901a10109021500 # vendor page 0xFF00, cut short after the collection
device keyboard 05010906a101050719e029e7c0
device securitykey 06d0f10901a101c0
[ "$("$probe" "$sys/reader/hid/hidraw/reader")" = "RFID_READER=1" ] || fail "the probe does not take the reader"
[ -z "$("$probe" "$sys/keyboard/hid/hidraw/keyboard")" ] || fail "the probe takes a keyboard"
[ -z "$("$probe" "$sys/securitykey/hid/hidraw/securitykey")" ] || fail "the probe takes a security key"
if "$probe" "$sys/missing" 2>/dev/null; then fail "the probe succeeds without a descriptor"; fi

# Manual pages render without a warning.
for page in "$root"/share/man/man1/*.1.gz; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

if [ "$failures" -ne 0 ]; then
  echo "install tree: $failures problems" >&2
  exit 1
fi
echo "install tree: ${#expected[@]} files present, desktop entry and metainfo valid, udev probe and manual pages work"
