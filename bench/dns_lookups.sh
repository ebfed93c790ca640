#!/usr/bin/env bash
# Lookups per second: the DNS resolver beside c-ares against the same
# dnsmasq, with the same number of lookups in flight, in a private network
# namespace (needs root) so that no query leaves the machine.
#
#   bench/dns_lookups.sh [lookups] [in flight]
. "$(dirname "$0")/common.sh"
if [ "$(id -u)" != 0 ]; then
  echo "needs root for a private network namespace" >&2
  exit 1
fi
bench_build bench_dns_lookups

unshare -n -m bash -s "$build/bench/bench_dns_lookups" "${1:-20000}" "${2:-64}" <<'INSIDE'
set -euo pipefail
ip link set lo up
dnsmasq --keep-in-foreground --conf-file=/dev/null --no-resolv --no-hosts --listen-address=127.0.0.1 \
  --bind-interfaces --port=53 --pid-file= --user=root --cache-size=0 --address=/bench.test/192.0.2.1 &
server=$!
trap 'kill $server' EXIT
for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/53) 2>/dev/null && break; sleep 0.1; done
"$1" 127.0.0.1 "$2" "$3"
INSIDE
