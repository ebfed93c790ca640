#!/bin/sh
# Runs a command in a network namespace of its own where dnsmasq, on
# 127.0.0.1, serves one DKIM key record and answers nothing else, and
# /etc/resolv.conf names it. Standard input and output pass through.
#
#   dkim_namespace.sh NAME RECORD COMMAND...
# NAME is the key's DNS name (selector._domainkey.domain), RECORD the TXT text.
# Root only (unshare); the caller runs it as `unshare -n -m dkim_namespace.sh`.
set -eu
name=$1
record=$2
shift 2
work=$(mktemp -d)
trap 'kill $(cat "$work/pid" 2>/dev/null) 2>/dev/null; rm -rf "$work"' EXIT
ip link set lo up
# a TXT string holds at most 255 bytes: longer records go in several
strings=$(printf '%s' "$record" | fold -w 255 | sed 's/.*/"&"/' | paste -sd, -)
dnsmasq --no-resolv --no-hosts --no-poll --listen-address=127.0.0.1 --bind-interfaces --port=53 \
  --pid-file="$work/pid" --txt-record="$name,$strings" >/dev/null 2>&1
echo "nameserver 127.0.0.1" > "$work/resolv.conf"
mount --bind "$work/resolv.conf" /etc/resolv.conf
RES_NAMESERVERS=127.0.0.1 "$@"
