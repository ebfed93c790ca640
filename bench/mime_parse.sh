#!/usr/bin/env bash
# Messages per second: the MIME library's parse beside Python's email parser
# (compat32 policy) over the same message files, by default the test
# messages that ship with Python. Builds what it needs in build-bench/.
#
#   bench/mime_parse.sh [folder with msg_* files]
. "$(dirname "$0")/common.sh"
folder=${1:-/usr/lib/python3.11/test/test_email/data}

bench_build bench_mime_parse

ORVANTA_BENCH_MESSAGES="$folder" "$build/bench/bench_mime_parse" \
  --benchmark_format=json --benchmark_out="$work/bench.json" --benchmark_out_format=json >/dev/null

/usr/bin/python3 - "$work/bench.json" "$folder" <<'PY'
import json, os, sys, time
from email import policy
from email.parser import BytesParser
report, folder = sys.argv[1], sys.argv[2]
texts = [open(os.path.join(folder, n), "rb").read() for n in sorted(os.listdir(folder)) if n.startswith("msg_")]
parser = BytesParser(policy=policy.compat32)
# best of five passes, each parsing every message once
best = None
for _ in range(5):
    start = time.perf_counter()
    rounds = 0
    while time.perf_counter() - start < 0.5:
        for text in texts:
            parser.parsebytes(text)
        rounds += 1
    elapsed = (time.perf_counter() - start) / rounds
    best = elapsed if best is None else min(best, elapsed)
theirs = len(texts) / best
run = json.load(open(report))["benchmarks"][0]
ours = run["items_per_second"]
print(f"corpus: {len(texts)} messages, {sum(map(len, texts))} bytes, from {folder}")
print(f"{'mime library':24s} {ours:12.0f} messages/s")
print(f"{'python email (compat32)':24s} {theirs:12.0f} messages/s")
print(f"ratio: {ours / theirs:.1f}x")
PY
