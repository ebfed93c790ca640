#!/usr/bin/env bash
# Megabytes per second: the MIME library's writer (messages parsed once,
# written in a loop, under the standard and the UTF-8 capability presets)
# beside GMime's writer over the same message files, by default the test
# messages that ship with Python. Builds what it needs in build-bench/.
#
#   bench/mime_encode.sh [folder with msg_* files]
. "$(dirname "$0")/common.sh"
folder=${1:-/usr/lib/python3.11/test/test_email/data}

bench_build bench_mime_encode
# shellcheck disable=SC2046
cc -O2 -o "$work/gmime_writer" "$top/bench/gmime_writer.c" $(pkg-config --cflags --libs gmime-3.0)

# the machine may be shared: each side takes its best of three runs, taken
# in turns
theirs=0
for round in 1 2 3; do
  ORVANTA_BENCH_MESSAGES="$folder" "$build/bench/bench_mime_encode" --benchmark_format=json \
    --benchmark_out="$work/bench$round.json" --benchmark_out_format=json >/dev/null
  read -r count bytes rate < <("$work/gmime_writer" "$folder")
  theirs=$(/usr/bin/python3 -c "print(max($theirs, $rate))")
done

/usr/bin/python3 - "$work" "$folder" "$count" "$bytes" "$theirs" <<'PY'
import glob, json, sys
work, folder, count, size, theirs = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], float(sys.argv[5])
runs = {}
for report in glob.glob(work + "/bench*.json"):
    for run in json.load(open(report))["benchmarks"]:
        name = run["name"].split("/")[0]
        runs[name] = max(runs.get(name, 0), run["bytes_per_second"] / 1e6)
        ours = int(run["messages"])
print(f"corpus: {folder}: {ours} messages written here, {count} ({size} bytes) that GMime parsed")
print(f"{'gmime writer (CR LF)':28s} {theirs:10.1f} MB/s")
for name, label in (("encodeStandard", "mime library, standard"), ("encodeUtf8", "mime library, utf8")):
    ours = runs[name]
    print(f"{label:28s} {ours:10.1f} MB/s   ratio {ours / theirs:.1f}x")
PY
