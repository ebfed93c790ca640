#!/usr/bin/env bash
# DKIM signatures made and checked per second on a 3 KB message with an
# RSA-2048 key: the MIME library beside dkimpy, and beside the raw RSA rates
# of `openssl speed rsa2048` on this machine (the limit). Builds what it
# needs in build-bench/.
#
#   bench/mime_dkim.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANTA_BENCH_BUILD:-$top/build-bench}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANTA_TESTS=OFF >/dev/null
cmake --build "$build" -j4 --target bench_mime_dkim >/dev/null
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/key.pem" 2>/dev/null

ORVANTA_BENCH_KEY="$work/key.pem" "$build/bench/bench_mime_dkim" \
  --benchmark_format=json --benchmark_out="$work/bench.json" --benchmark_out_format=json >/dev/null
openssl speed -seconds 3 rsa2048 2>/dev/null | grep '^rsa 2048' > "$work/speed.txt"

/usr/bin/python3 - "$work/bench.json" "$work/speed.txt" "$work/key.pem" <<'PY'
import json, sys, time
import dkim
report, speed, keypath = sys.argv[1:]
runs = {b["name"].split("/")[0]: b["items_per_second"] for b in json.load(open(report))["benchmarks"]}
fields = open(speed).read().split()
raw_sign, raw_verify = float(fields[-2]), float(fields[-1])

# the same message, signed and checked by dkimpy (best of three half-second runs)
text = b"From: Alice Example <alice@example.com>\r\nTo: Bob Example <bob@example.net>\r\n" \
       b"Subject: Quarterly figures\r\nDate: Mon, 7 Dec 2026 10:00:00 +0000\r\n\r\n"
while len(text) < 3000:
    text += b"The figures for the quarter are in the attached sheet; please look them over.\r\n"
key = open(keypath, "rb").read()
import subprocess
public = subprocess.run(["openssl", "pkey", "-in", keypath, "-pubout"], capture_output=True).stdout
record = b"v=DKIM1; k=rsa; p=" + b"".join(public.split(b"\n")[1:-2])
signed = dkim.sign(text, b"sel", b"example.com", key, canonicalize=(b"relaxed", b"relaxed")) + text
def rate(work):
    best = 0
    for _ in range(3):
        start, n = time.perf_counter(), 0
        while time.perf_counter() - start < 0.5:
            work(); n += 1
        best = max(best, n / (time.perf_counter() - start))
    return best
py_sign = rate(lambda: dkim.sign(text, b"sel", b"example.com", key, canonicalize=(b"relaxed", b"relaxed")))
py_verify = rate(lambda: dkim.verify(signed, dnsfunc=lambda name, timeout=5: record))

print(f"3 KB message, RSA-2048, relaxed/relaxed, rsa-sha256")
print(f"{'':24s} {'sign/s':>10s} {'verify/s':>10s}")
print(f"{'mime library':24s} {runs['sign']:10.0f} {runs['verify']:10.0f}")
print(f"{'dkimpy':24s} {py_sign:10.0f} {py_verify:10.0f}")
print(f"{'openssl speed rsa2048':24s} {raw_sign:10.0f} {raw_verify:10.0f}")
print(f"ratio to dkimpy:  signing {runs['sign'] / py_sign:.1f}x, verifying {runs['verify'] / py_verify:.1f}x")
print(f"share of raw RSA: signing {runs['sign'] / raw_sign:.0%} (goal 90%), "
      f"verifying {runs['verify'] / raw_verify:.0%} (goal 50%)")
PY
