#!/usr/bin/env bash
# Throughput of the base64 and quoted-printable filters over one 100 MB
# input, beside `base64` and `openssl base64` encoding and decoding the same
# bytes. Builds what it needs in build-bench/ (RelWithDebInfo), then prints
# MB/s of unencoded bytes for every road and the filters' ratios against the
# tools.
#
#   bench/filter_codecs.sh [megabytes]
. "$(dirname "$0")/common.sh"
size_mb=${1:-100}

bench_build bench_filter_codecs

# Mail body material: prose lines with some Latin-1 letters, and one part in
# ten binary, so that quoted-printable has both plain text and escapes.
/usr/bin/python3 - "$work/input" "$size_mb" <<'PY'
import random, sys
path, size = sys.argv[1], int(sys.argv[2]) << 20
rng = random.Random(2026)
words = ("the of and to in is that for it as with was on be by at this from or have an they which "
         "caf\xe9 na\xefve r\xe9sum\xe9 = 100% one you were her all she there would their we").split()
out, total = [], 0
while total < size:
    if rng.random() < 0.1:
        chunk = rng.randbytes(4096)
    else:
        chunk = ("\r\n".join(" ".join(rng.choice(words) for _ in range(rng.randint(4, 16)))
                             for _ in range(20)) + "\r\n").encode("latin-1")
    out.append(chunk)
    total += len(chunk)
open(path, "wb").write(b"".join(out)[:size])
PY
bytes=$(stat -c %s "$work/input")

ORVANTA_BENCH_INPUT="$work/input" "$build/bench/bench_filter_codecs" \
  --benchmark_format=json --benchmark_out="$work/bench.json" --benchmark_out_format=json >/dev/null

/usr/bin/python3 - "$work/bench.json" "$bytes" "$work/input" <<'PY'
import json, subprocess, sys, time
report, size, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]

def best(command, source):
    # Best of three runs, reading a file and writing to a file.
    seconds = None
    for _ in range(3):
        with open(source, "rb") as stdin, open(path + ".out", "wb") as stdout:
            start = time.perf_counter()
            subprocess.run(command, stdin=stdin, stdout=stdout, check=True)
            elapsed = time.perf_counter() - start
        seconds = elapsed if seconds is None else min(seconds, elapsed)
    return size / seconds / 1e6

subprocess.run(["base64", "-w0", path], stdout=open(path + ".b64", "wb"), check=True)
tools = {
    "base64 encode": best(["base64", "-w0"], path),
    "base64 decode": best(["base64", "-d"], path + ".b64"),
    "openssl base64 encode": best(["openssl", "base64", "-A"], path),
    "openssl base64 decode": best(["openssl", "base64", "-d", "-A"], path + ".b64"),
}
runs = {b["name"].split("/")[0]: b for b in json.load(open(report))["benchmarks"]}
ours = {name: runs[name]["bytes_per_second"] / 1e6
        for name in ("base64Encode", "base64Decode", "quotedPrintableEncode", "quotedPrintableDecode")}
print(f"input: {size} bytes ({size / 1e6:.1f} MB); MB/s of unencoded bytes")
print(f"{'filter base64 encode':26s} {ours['base64Encode']:8.1f}")
print(f"{'base64 encode':26s} {tools['base64 encode']:8.1f}")
print(f"{'openssl base64 encode':26s} {tools['openssl base64 encode']:8.1f}")
print(f"{'filter base64 decode':26s} {ours['base64Decode']:8.1f}")
print(f"{'base64 decode':26s} {tools['base64 decode']:8.1f}")
print(f"{'openssl base64 decode':26s} {tools['openssl base64 decode']:8.1f}")
print(f"{'filter quoted-printable encode':26s} {ours['quotedPrintableEncode']:8.1f}"
      f"   ({int(runs['quotedPrintableEncode']['encoded'])} bytes out)")
print(f"{'filter quoted-printable decode':26s} {ours['quotedPrintableDecode']:8.1f}")
# ratios of the filters against the tools (above 1.0: the filter is faster)
for way in ("encode", "decode"):
    mine = ours["base64" + way.capitalize()]
    print(f"ratio base64 {way}: {mine / tools['base64 ' + way]:.2f}x base64, "
          f"{mine / tools['openssl base64 ' + way]:.2f}x openssl base64")
print(f"ratio quoted-printable encode: {ours['quotedPrintableEncode'] / 500:.2f}x the goal of 500 MB/s")
PY
