#!/usr/bin/env bash
# Figures of the shared journal: STATIONS real `rfidctl --simulate` processes against one local
# PostgreSQL server (flushes to disk on, a Unix socket) write TAGS tags of one GTIN together;
# then a station killed mid-batch, whose unused numbers must go out again after its lease
# expires, none lost and none doubled. Prints the figures; exits non-zero when one misses.
#   bench/sharedjournal.sh RFIDCTL [STATIONS] [TAGS]
set -euo pipefail
rfidctl=${1:?the rfidctl program}
stations=${2:-8}
tags=${3:-20000}
here=$(cd "$(dirname "$0")/.." && pwd)
dir=$(mktemp -d /tmp/rfid-pg-XXXXXX)
trap 'bash "$here/scripts/pg-test-server.sh" stop "$dir"; rm -rf "$dir"' EXIT
base=$(RFID_PG_FSYNC=on bash "$here/scripts/pg-test-server.sh" start "$dir")
sql() { psql -X -q -At "$1" -c "$2"; }
db() { # a fresh database's URI
  sql "$base" "CREATE DATABASE $1"
  echo "${base/\/postgres?//$1?}"
}
first=urn:epc:tag:sgtin-96:3.0614141.812345.100000
each=$((tags / stations))
fail=0

# 1. Every station at once, each its share of the tags.
uri=$(db together)
start=$(date +%s.%N)
for s in $(seq 1 "$stations"); do
  "$rfidctl" --simulate --json epc batch --first $first --count $each --journal "$uri" --station "s$s" \
    >"$dir/s$s.json" 2>"$dir/s$s.err" &
done
status=0
wait || status=$?
end=$(date +%s.%N)
[ $status -eq 0 ] || { echo "a station failed:"; cat "$dir"/s*.err; exit 1; }
read -r verified distinct <<<"$(sql "$uri" "SELECT count(*), count(DISTINCT epc) FROM rfid_row WHERE result = 'verified'" | tr '|' ' ')"
seconds=$(echo "$end - $start" | bc -l)
rate=$(echo "$verified / $seconds" | bc -l)
lease_s=$(cat "$dir"/s*.json | sed -n 's/.*"lease_seconds":\([0-9.e-]*\).*/\1/p' | paste -sd+ | bc -l)
leases=$(cat "$dir"/s*.json | sed -n 's/.*"leases":\([0-9]*\).*/\1/p' | paste -sd+ | bc)
printf '%d stations, %d tags: %d verified, %d duplicate EPCs, %.1f s, %.0f tags/s (target >= 500)\n' \
  "$stations" "$tags" "$verified" $((verified - distinct)) "$seconds" "$rate"
printf 'leases: %d, %.3f s in all, %.1f us a tag\n' "$leases" "$lease_s" "$(echo "$lease_s * 1000000 / $verified" | bc -l)"
[ "$verified" -eq "$tags" ] && [ "$distinct" -eq "$verified" ] || fail=1
[ "$(echo "$rate >= 500" | bc)" -eq 1 ] || fail=1

# 2. One station killed after 250 tags (its lease of 100 half used), expiry 10 s; another
# station writes on after the expiry and takes its unused numbers first.
uri=$(db killed)
RFID_SIM_KILL_AFTER_WRITES=250 "$rfidctl" --simulate epc batch --first $first --count 1000 --journal "$uri" \
  --station dead --lease-expiry 10 >/dev/null 2>&1 || true
left=$(sql "$uri" "SELECT count(*) FROM rfid_number WHERE state = 'leased'")
unknown=$(sql "$uri" "SELECT count(*) FROM rfid_hold WHERE kind = 'intent'")
sleep 11
"$rfidctl" --simulate epc batch --first $first --count 200 --journal "$uri" --station heir >/dev/null
read -r top lost doubled <<<"$(sql "$uri" "SELECT (SELECT next_index FROM rfid_batch), (SELECT count(*) FROM generate_series(0, (SELECT next_index FROM rfid_batch) - 1) i WHERE NOT EXISTS (SELECT 1 FROM rfid_number n WHERE n.idx = i AND n.state = 'used')), (SELECT count(*) - count(DISTINCT epc) FROM rfid_row WHERE result = 'verified')" | tr '|' ' ')"
heirlow=$(sql "$uri" "SELECT min(idx) FROM rfid_row WHERE station = 'heir' AND result = 'verified'")
printf 'killed after 250 tags: %d numbers left leased, %d of unknown outcome; after expiry the next station began at index %d; indexes 0-%d: %d not used, %d EPCs doubled\n' \
  "$left" "$unknown" "$heirlow" $((top - 1)) "$lost" "$doubled"
[ "$lost" -eq 0 ] && [ "$doubled" -eq 0 ] && [ "$heirlow" -lt 300 ] || fail=1
exit $fail
