#!/usr/bin/env bash
# The charset filter from UTF-8 to UTF-8 and from UTF-8 to ISO-8859-1 over
# one input of Latin text, beside Python's codecs doing the same in memory
# (bytes.decode('utf-8') and str.encode), and from UTF-8 to ISO-8859-1 over
# the same text with a lone 0x80 after every 100 characters, in 64 KiB
# pieces and in one push, beside bytes.decode('utf-8', 'replace'). Builds
# what it needs in build-bench/ (RelWithDebInfo), then prints MB/s of input
# for each and the filter's time over Python's (UTF-8 to UTF-8: at most
# 1.0, the filter is no slower), and the ill-formed text's time over the
# well-formed one's: about as long, where a scan repeated at every bad byte
# would grow with the square of the size.
#
#   bench/filter_charset.sh [megabytes]
. "$(dirname "$0")/common.sh"
size_mb=${1:-8}

bench_build bench_filter_charset

# Mail text in a Latin script: ASCII words with accented letters, all of
# them in ISO-8859-1, so that both targets hold every character.
/usr/bin/python3 - "$work/input" "$size_mb" <<'PY'
import random, sys
path, size = sys.argv[1], int(sys.argv[2]) << 20
rng = random.Random(2026)
words = ("the of and to in is that for it as with was on be by at this from or have an they which "
         "caf\xe9 na\xefve r\xe9sum\xe9 \xe0 d\xe9j\xe0 gr\xfc\xdfe M\xfcller \xe9t\xe9 fa\xe7ade "
         "one you were her all she there would their we").split()
out, total = [], 0
while total < size:
    line = " ".join(rng.choice(words) for _ in range(rng.randint(4, 16))) + "\r\n"
    out.append(line)
    total += len(line)
open(path, "wb").write("".join(out).encode("utf-8")[:size].decode("utf-8", "ignore").encode("utf-8"))
PY
bytes=$(stat -c %s "$work/input")

ORVANTA_BENCH_INPUT="$work/input" "$build/bench/bench_filter_charset" \
  --benchmark_format=json --benchmark_out="$work/bench.json" --benchmark_out_format=json >/dev/null

/usr/bin/python3 - "$work/bench.json" "$bytes" "$work/input" <<'PY'
import json, sys, time
report, size, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
data = open(path, "rb").read()

def best(convert, text=data):
    # Best of ten runs in memory, as the filter is measured.
    seconds = None
    for _ in range(10):
        start = time.perf_counter()
        convert(text)
        elapsed = time.perf_counter() - start
        seconds = elapsed if seconds is None else min(seconds, elapsed)
    return len(text) / seconds / 1e6

text = data.decode("utf-8")
bad = b"\x80".join(text[i:i + 100].encode("utf-8") for i in range(0, len(text), 100))
python = {
    "utf8ToUtf8": best(lambda b: b.decode("utf-8").encode("utf-8")),
    "utf8ToLatin1": best(lambda b: b.decode("utf-8").encode("iso-8859-1")),
}
python["illFormedToLatin1"] = best(lambda b: b.decode("utf-8", "replace").encode("iso-8859-1", "replace"), bad)
python["illFormedToLatin1Whole"] = python["illFormedToLatin1"]
runs = {b["name"].split("/")[0]: b for b in json.load(open(report))["benchmarks"]}
print(f"input: {size} bytes ({size / 1e6:.1f} MB) of UTF-8 Latin text, {len(bad)} with the lone bytes; MB/s of input")
rows = (("utf8ToUtf8", "UTF-8 to UTF-8"), ("utf8ToLatin1", "UTF-8 to ISO-8859-1"),
        ("illFormedToLatin1", "ill-formed to ISO-8859-1"),
        ("illFormedToLatin1Whole", "ill-formed to ISO-8859-1, one push"))
rate = {}
for name, label in rows:
    rate[name] = runs[name]["bytes_per_second"] / 1e6
    print(f"{'filter ' + label:44s} {rate[name]:8.1f}")
    print(f"{'Python ' + label:44s} {python[name]:8.1f}")
    # time over Python's: at most 1.0 means the filter is no slower
    goal = " (goal: at most 1.0)" if name == "utf8ToUtf8" else ""
    print(f"ratio {label}: {python[name] / rate[name]:.2f}x Python's time{goal}")
for name, label in rows[2:]:
    print(f"ratio {label}: {rate['utf8ToLatin1'] / rate[name]:.2f}x the well-formed text's time per byte")
PY
