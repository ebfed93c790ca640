#!/usr/bin/env bash
# DKIM signing and checking with an RSA-2048 key, every ratio between rates
# measured in this run and all in wall-clock time:
#   - peak memory of signing a 100 MB message, over its size (goal: at most
#     1.2x; the body streams through the canonicalization into the digest);
#   - signing a 1 MB message in MB/s, beside OpenSSL's own SHA-256 of the
#     same bytes (`openssl dgst -sha256`), the limit: signing digests every
#     byte once and adds one RSA signature and the parse;
#   - checks of a 3 KB message per second, over the raw verify rate of
#     `openssl speed -elapsed rsa2048` (goal: at least 50%);
# and the 3 KB rates beside dkimpy. Builds what it needs in build-bench/.
#
#   bench/mime_dkim.sh
. "$(dirname "$0")/common.sh"

bench_build bench_mime_dkim
bench=$build/bench/bench_mime_dkim
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/key.pem" 2>/dev/null
export ORVANTA_BENCH_KEY="$work/key.pem"

"$bench" --benchmark_format=json --benchmark_out="$work/bench.json" --benchmark_out_format=json >/dev/null
openssl speed -elapsed -seconds 3 rsa2048 2>/dev/null | grep '^rsa 2048' > "$work/speed.txt"

# OpenSSL's SHA-256 of the 1 MB message, 64 times in one process, best of
# three (the start of the process is in it, as the parse is in signing)
"$bench" --message $((1 << 20)) > "$work/1mb.eml"
files=()
for _ in $(seq 64); do files+=("$work/1mb.eml"); done
sha_best=0
for _ in 1 2 3; do
  start=$(date +%s%N)
  openssl dgst -sha256 "${files[@]}" >/dev/null
  end=$(date +%s%N)
  sha_best=$(/usr/bin/python3 -c "print(max($sha_best, 64 * $(stat -c %s "$work/1mb.eml") * 1e3 / ($end - $start)))")
done

# the peak memory of signing 100 MB once
"$bench" --message $((100 << 20)) > "$work/100mb.eml"
/usr/bin/time -v -o "$work/time" "$bench" --sign "$work/100mb.eml"
peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")

/usr/bin/python3 - "$work/bench.json" "$work/speed.txt" "$work/key.pem" "$sha_best" \
  "$peak_kb" "$(stat -c %s "$work/100mb.eml")" <<'PY'
import json, subprocess, sys, time
import dkim
report, speed, keypath, sha_mb_s, peak_kb, large = sys.argv[1:]
benchmarks = json.load(open(report))["benchmarks"]
runs = {b["name"].split("/")[0]: b.get("items_per_second", 0) for b in benchmarks}
sign_mb_s = [b["bytes_per_second"] for b in benchmarks if b["name"].startswith("sign1MB")][0] / 1e6
fields = open(speed).read().split()
raw_sign, raw_verify = float(fields[-2]), float(fields[-1])

# the same message, signed and checked by dkimpy (best of three half-second runs)
text = b"From: Alice Example <alice@example.com>\r\nTo: Bob Example <bob@example.net>\r\n" \
       b"Subject: Quarterly figures\r\nDate: Mon, 7 Dec 2026 10:00:00 +0000\r\n\r\n"
while len(text) < 3000:
    text += b"The figures for the quarter are in the attached sheet; please look them over.\r\n"
key = open(keypath, "rb").read()
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
print(f"share of raw RSA: signing {runs['sign'] / raw_sign:.0%} (goal 90%), verifying {runs['verify'] / raw_verify:.0%}")
print()
print(f"1 MB message, relaxed/relaxed: signing {sign_mb_s:.0f} MB/s, openssl dgst -sha256 of the same "
      f"bytes {float(sha_mb_s):.0f} MB/s")
print()
peak = int(peak_kb) * 1024 / int(large)
limit = sign_mb_s / float(sha_mb_s)
share = runs['verify'] / raw_verify
print(f"peak memory / message size, signing {int(large) >> 20} MB: {peak:.2f}x (goal at most 1.2x)"
      f"{'' if peak <= 1.2 else '  MISSED'}")
print(f"signing 1 MB / OpenSSL's SHA-256 of the same bytes: {limit:.0%} (the limit is 100%)")
print(f"verifying 3 KB / raw RSA verify: {share:.0%} (goal at least 50%)"
      f"{'' if share >= 0.5 else '  MISSED'}")
PY
