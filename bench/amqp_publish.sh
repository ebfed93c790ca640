#!/usr/bin/env bash
# Publishing one 1 MB message with a publisher confirm on loopback: this
# library (bench/amqp_publish.cpp) next to `amqp-publish` (amqp-tools) and a
# pika publisher with confirms, on the same private broker. Each publisher is
# a fresh process that connects, publishes, waits for the confirm (where it
# asks for one) and disconnects; the figure is the median wall time of RUNS
# runs. Starts its own broker with scripts/broker unless BROKER_URL is set.
#
#   bench/amqp_publish.sh [runs]
. "$(dirname "$0")/common.sh"
runs=${1:-5}
broker=$build/bench-broker
started=
cleanup() {
  if [ -n "$started" ]; then "$top/scripts/broker" stop "$broker" >/dev/null 2>&1 || true; fi
}

bench_build bench_amqp_publish

if [ -z "${BROKER_URL:-}" ]; then
  started=1
  "$top/scripts/broker" start "$broker" >/dev/null
  BROKER_URL=$(cat "$broker/address")
fi
queue=bench-publish-$$
/usr/bin/python3 "$top/testsupport/amqp_tool.py" "$BROKER_URL" declare "$queue" >/dev/null
head -c $((1 << 20)) /dev/urandom > "$work/body"

cat > "$work/pika_publish.py" <<'PY'
import sys
import pika
url, queue, path = sys.argv[1:4]
body = open(path, "rb").read()
connection = pika.BlockingConnection(pika.URLParameters(url))
channel = connection.channel()
channel.confirm_delivery()
channel.basic_publish("", queue, body, pika.BasicProperties(headers={"recipients": "a@example.org"}),
                      mandatory=False)
connection.close()
PY

# the median of the wall times, in milliseconds, of running "$@" $runs times
# with standard input from the file INPUT
timed() {
  local input=$1 times=()
  shift
  for _ in $(seq 1 "$runs"); do
    local begin end
    begin=$(date +%s%N)
    "$@" >/dev/null < "$input"
    end=$(date +%s%N)
    times+=($(( (end - begin) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { printf "%.1f", a[int((NR + 1) / 2)] / 1000 }'
}

# amqp-publish takes the text after the last "/" as the virtual host, so its
# URL goes without the trailing "/" (the default virtual host)
ours=$(timed /dev/null "$build/bench/bench_amqp_publish" "$BROKER_URL" "$queue" "$work/body")
tools=$(timed "$work/body" amqp-publish --url="${BROKER_URL%/}" --routing-key="$queue" -H "recipients: a@example.org")
pika=$(timed /dev/null /usr/bin/python3 "$work/pika_publish.py" "$BROKER_URL" "$queue" "$work/body")

count=$(/usr/bin/python3 - "$BROKER_URL" "$queue" <<'PY'
import sys, pika
connection = pika.BlockingConnection(pika.URLParameters(sys.argv[1]))
print(connection.channel().queue_declare(sys.argv[2], passive=True).method.message_count)
connection.close()
PY
)
/usr/bin/python3 "$top/testsupport/amqp_tool.py" "$BROKER_URL" delete "$queue" >/dev/null

echo "one 1 MB message with confirm, median of $runs runs (ms, whole process)"
printf '%-34s %8s ms\n' "this library (confirm)" "$ours" "amqp-publish (no confirm)" "$tools" "pika BlockingConnection (confirm)" "$pika"
awk -v o="$ours" -v t="$tools" -v p="$pika" 'BEGIN {
  printf "ratio amqp-publish / this library: %.2f\n", t / o
  printf "ratio pika / this library:         %.2f\n", p / o }'
echo "messages in the queue afterwards: $count (expected $((3 * runs)))"
