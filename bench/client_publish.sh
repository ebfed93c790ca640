#!/usr/bin/env bash
# The client publishing one message to a private RabbitMQ, next to other
# publishers of the same bytes, in one paired run:
#   1 MB, compression off:  tarvex-client | amqp-publish | pika with confirms
#   1 MB, compression on:   tarvex-client | gzip -6 + amqp-publish
#   100 MB (size adjustable): tarvex-client with compression off and on,
#                             and amqp-publish
# Every run is timed (wall time) and measured with /usr/bin/time -v (peak
# resident memory); each small case runs several times, alternating publishers, and
# the median and the best are shown. Builds what it needs in build-bench/.
#
#   bench/client_publish.sh [runs] [large-megabytes] [amqp://broker]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-7}
large_mb=${2:-100}
broker=${3:-}
build=${ORVANTA_BENCH_BUILD:-$top/build-bench}
work=$(mktemp -d)
# the broker runs as its own user when started by root: it must reach its folder
chmod 755 "$work"
cleanup() {
  if [ -z "${3:-}" ]; then "$top/scripts/broker" stop "$work/broker" >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANTA_TESTS=OFF >/dev/null
cmake --build "$build" -j4 --target tarvex-client >/dev/null
client=$build/app/tarvex-client

if [ -z "$broker" ]; then
  "$top/scripts/broker" start "$work/broker" >/dev/null
  broker=$(cat "$work/broker/address")
fi
tool() { /usr/bin/python3 "$top/testsupport/amqp_tool.py" "$broker" "$@"; }
queue=bench.client
tool declare "$queue"

cat > "$work/client.txt" <<CONF
rabbitmq-address = $broker
rabbitmq-outbox = :$queue
CONF

# A mail message of the given size in bytes: header, prose and base64 lines,
# CRLF line ends; written as is (.raw) and dot-stuffed with the dot line
# (.smtp), as an MTA hands it over.
message() {
  /usr/bin/python3 - "$1" "$2" <<'PY'
import base64, random, sys
path, size = sys.argv[1], int(sys.argv[2])
rng = random.Random(2026)
words = ("the of and to in is that for it as with was on be by at this from or have an they which one you "
         "were her all she there would their we him been has when who will more no if out so said what up").split()
out = [b"From: sender@example.org\r\nTo: rcpt@example.org\r\nSubject: benchmark\r\n\r\n"]
total = len(out[0])
while total < size:
    if rng.random() < 0.2:
        block = rng.randbytes(57 * 40)
        chunk = b"\r\n".join(base64.b64encode(block[i:i + 57]) for i in range(0, len(block), 57)) + b"\r\n"
    else:
        lines = [" ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) for _ in range(rng.randint(3, 30))]
        lines = [("." + l) if rng.random() < 0.05 else l for l in lines]
        chunk = ("\r\n".join(lines) + "\r\n\r\n").encode()
    out.append(chunk)
    total += len(chunk)
data = b"".join(out)[:size]
data = data[:data.rfind(b"\r\n") + 2]
open(path + ".raw", "wb").write(data)
open(path + ".smtp", "wb").write(data.replace(b"\r\n.", b"\r\n..") + b".\r\n")
PY
}

cat > "$work/pika_publish.py" <<'PY'
import sys
import pika
url, queue, path = sys.argv[1:4]
body = open(path, "rb").read()
connection = pika.BlockingConnection(pika.URLParameters(url))
channel = connection.channel()
channel.confirm_delivery()
channel.basic_publish("", queue, body, pika.BasicProperties(headers={"recipients": "rcpt@example.org"}))
connection.close()
PY

# timed NAME COMMAND...: runs it under /usr/bin/time -v, appends
# "NAME seconds kilobytes" to the results, and drains the queue.
timed() {
  local name=$1; shift
  local start end wall rss
  start=$(date +%s%N)
  /usr/bin/time -v -o "$work/time" "$@" >/dev/null 2>"$work/stderr" \
    || { echo "$name failed:"; cat "$work/stderr" "$work/time"; exit 1; }
  end=$(date +%s%N)
  # nanoseconds: /usr/bin/time itself counts in hundredths
  wall=$((end - start))
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")
  echo "$name $wall $rss" >> "$work/results"
  tool delete "$queue" >/dev/null
  tool declare "$queue" >/dev/null
}

# The commands run under bash -c, so every publisher pays the same start-up.
export client broker queue work
client_cmd='"$client" --config-file="$work/client.txt" --rabbitmq-compress=$compress rcpt@example.org < "$input"'
amqp_cmd='amqp-publish -u "${broker%/}" -e "" -r "$queue" -H "recipients: rcpt@example.org" < "$input"'
gzip_cmd='gzip -6 -c < "$input" | amqp-publish -u "${broker%/}" -e "" -r "$queue" -E gzip -H "recipients: rcpt@example.org"'
pika_cmd='/usr/bin/python3 "$work/pika_publish.py" "$broker" "$queue" "$input"'

# case NAME INPUT COMPRESS COMMAND
case_run() {
  export input=$2 compress=$3
  timed "$1" bash -c "$4"
}

: > "$work/results"
message "$work/small" $((1 << 20))
for _ in $(seq 1 "$runs"); do
  case_run "client,1MB,plain" "$work/small.smtp" false "$client_cmd"
  case_run "amqp-publish,1MB,plain" "$work/small.raw" - "$amqp_cmd"
  case_run "pika-confirm,1MB,plain" "$work/small.raw" - "$pika_cmd"
  case_run "client,1MB,gzip" "$work/small.smtp" true "$client_cmd"
  case_run "gzip-6+amqp-publish,1MB,gzip" "$work/small.raw" - "$gzip_cmd"
done
message "$work/large" $((large_mb << 20))
case_run "client,${large_mb}MB,plain" "$work/large.smtp" false "$client_cmd"
case_run "amqp-publish,${large_mb}MB,plain" "$work/large.raw" - "$amqp_cmd"
case_run "client,${large_mb}MB,gzip" "$work/large.smtp" true "$client_cmd"
case_run "gzip-6+amqp-publish,${large_mb}MB,gzip" "$work/large.raw" - "$gzip_cmd"

/usr/bin/python3 - "$work/results" "$(stat -c %s "$work/small.raw")" "$(stat -c %s "$work/large.raw")" <<'PY'
import statistics, sys
path, small, large = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def seconds(text):
    return int(text) / 1e9
rows = {}
for line in open(path):
    name, wall, rss = line.split()
    rows.setdefault(name, []).append((seconds(wall), int(rss)))
print(f"{'publisher, size, body':40s} {'runs':>4s} {'wall s median':>14s} {'best':>7s} {'peak RSS MB':>12s} {'RSS / message':>14s}")
for name, samples in rows.items():
    size = large if not name.split(",")[1].startswith("1MB") else small
    wall = statistics.median(s[0] for s in samples)
    best = min(s[0] for s in samples)
    rss = max(s[1] for s in samples) / 1024
    print(f"{name:40s} {len(samples):4d} {wall:14.3f} {best:7.3f} {rss:12.1f} {rss * 1024 * 1024 / size:14.2f}")
PY
