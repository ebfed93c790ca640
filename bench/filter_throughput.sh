#!/usr/bin/env bash
# Throughput of SMTP dot decoding and of gzip compression over one 100 MB
# message, next to `gzip -6` on the same bytes. Builds what it needs in
# build-bench/ (RelWithDebInfo), then prints MB/s and the ratio.
#
#   bench/filter_throughput.sh [megabytes]
. "$(dirname "$0")/common.sh"
size_mb=${1:-100}

bench_build bench_filter_throughput

# A mail message: header lines, prose, base64 attachment lines, and
# dot-stuffed lines, ended by the line holding a single dot.
/usr/bin/python3 - "$work/message" "$size_mb" <<'PY'
import base64, random, sys
path, size = sys.argv[1], int(sys.argv[2]) << 20
rng = random.Random(2026)
words = ("the of and to in is that for it as with was on be by at this from or have an they which "
         "one you were her all she there would their we him been has when who will more no if out "
         "so said what up its about into than them can only other new some could time these two may "
         "then do first any my now such like our over man me even most made after also did many "
         "before must through back years where much your way well down should because each just "
         "those people mr how too little state good very make world still own see men work long get "
         "here between both life being under never day same another know while last might us great "
         "old year off come since against go came right used take three").split()
out = []
total = 0
out.append(b"Received: from relay.example.org by mx.example.net with ESMTP\r\n"
           b"Subject: benchmark message\r\nMIME-Version: 1.0\r\n\r\n")
while total < size:
    if rng.random() < 0.1:
        block = rng.randbytes(57 * 40)
        lines = [base64.b64encode(block[i:i + 57]) for i in range(0, len(block), 57)]
        chunk = b"\r\n".join(lines) + b"\r\n"
    else:
        lines = []
        for _ in range(rng.randint(3, 30)):
            line = " ".join(rng.choice(words) for _ in range(rng.randint(4, 14)))
            if rng.random() < 0.05:
                line = "." + line
            lines.append(line.encode())
        chunk = b"\r\n".join(lines) + b"\r\n\r\n"
    out.append(chunk)
    total += len(chunk)
data = b"".join(out)[:size]
data = data[:data.rfind(b"\r\n") + 2]
# stuff the dots as an SMTP client would, then end the data
data = data.replace(b"\r\n.", b"\r\n..") + b".\r\n"
open(path, "wb").write(data)
PY
bytes=$(stat -c %s "$work/message")

ORVANTA_BENCH_MESSAGE="$work/message" "$build/bench/bench_filter_throughput" \
  --benchmark_format=json --benchmark_out="$work/bench.json" --benchmark_out_format=json >/dev/null

# gzip -6 on the same bytes: best of three runs, reading the file.
/usr/bin/python3 - "$work/bench.json" "$bytes" "$work/message" <<'PY'
import json, os, subprocess, sys, time
report, size, message = sys.argv[1], int(sys.argv[2]), sys.argv[3]
seconds = None
for _ in range(3):
    with open(message, "rb") as source, open(message + ".gz", "wb") as target:
        start = time.perf_counter()
        subprocess.run(["gzip", "-6", "-c"], stdin=source, stdout=target, check=True)
        elapsed = time.perf_counter() - start
    seconds = elapsed if seconds is None else min(seconds, elapsed)
gzip_size = os.path.getsize(message + ".gz")
runs = {b["name"]: b for b in json.load(open(report))["benchmarks"]}
mb = lambda bytes_per_second: bytes_per_second / 1e6
print(f"message: {size} bytes ({size / 1e6:.1f} MB)")
for name in ("dotDecode", "dotDecodeIntoMemory"):
    run = [b for n, b in runs.items() if n.startswith(name + "/") or n == name][0]
    print(f"{name:22s} {mb(run['bytes_per_second']):9.1f} MB/s")
run = [b for n, b in runs.items() if n.startswith("gzipIntoString")][0]
ours = mb(run["bytes_per_second"])
theirs = size / seconds / 1e6
print(f"{'gzipIntoString':22s} {ours:9.1f} MB/s   compressed to {int(run['compressed'])} bytes")
print(f"{'gzip -6':22s} {theirs:9.1f} MB/s   compressed to {gzip_size} bytes")
print(f"gzip road / gzip -6:   {ours / theirs:.3f}")
PY
