#!/usr/bin/env bash
# The client publishing one 20 MB message (compression off) to a private
# RabbitMQ over TLS, next to the same over plain TCP and to `amqp-publish
# --ssl` to the same TLS listener, in one paired run: the publishers take
# turns, and the medians and their ratios are printed. Builds what it needs
# in build-bench/.
#
#   bench/client_tls.sh [runs] [megabytes]
. "$(dirname "$0")/common.sh"
runs=${1:-7}
mb=${2:-20}
# the broker runs as its own user when started by root: it must reach its folder
chmod 755 "$work"
cleanup() {
  "$top/scripts/broker" stop "$work/broker" >/dev/null 2>&1 || true
}

bench_build tarvex-client
client=$build/app/tarvex-client

"$top/scripts/broker" start "$work/broker" >/dev/null
plain=$(cat "$work/broker/address")
# by name: amqp-publish checks the certificate against DNS names only
secure=$(sed 's/127\.0\.0\.1/localhost/' "$work/broker/tls-address")
ca=$work/broker/tls/ca.pem
tool() { /usr/bin/python3 "$top/testsupport/amqp_tool.py" "$plain" "$@"; }
queue=bench.tls
tool declare "$queue" >/dev/null
echo "rabbitmq-outbox = :$queue" > "$work/client.txt"

# text lines with CRLF ends, none starting with a dot: the same bytes for
# every publisher, with the dot line for the client
/usr/bin/python3 - "$work/message" $((mb << 20)) <<'PY'
import base64, random, sys
path, size = sys.argv[1], int(sys.argv[2])
rng = random.Random(2026)
head = b"From: sender@example.org\r\nTo: rcpt@example.org\r\nSubject: benchmark\r\n\r\n"
lines = [base64.b64encode(rng.randbytes(57)) for _ in range(size // 78 + 1)]
data = (head + b"\r\n".join(lines))[:size]
data = data[:data.rfind(b"\r\n") + 2]
open(path + ".raw", "wb").write(data)
open(path + ".smtp", "wb").write(data + b".\r\n")
PY

export client work queue ca plain secure
cases=(
  "client-amqps|LD_PRELOAD=libssl.so.3 SSL_CERT_FILE=\"\$ca\" \"\$client\" --config-file=\"\$work/client.txt\" --rabbitmq-address=\"\$secure\" --rabbitmq-compress=false rcpt@example.org < \"\$work/message.smtp\""
  "client-amqp|\"\$client\" --config-file=\"\$work/client.txt\" --rabbitmq-address=\"\$plain\" --rabbitmq-compress=false rcpt@example.org < \"\$work/message.smtp\""
  "amqp-publish-ssl|amqp-publish --url=\"\${secure%/}\" --ssl --cacert=\"\$ca\" -e \"\" -r \"\$queue\" -H \"recipients: rcpt@example.org\" < \"\$work/message.raw\""
)

: > "$work/results"
for _ in $(seq 1 "$runs"); do
  for entry in "${cases[@]}"; do
    name=${entry%%|*}
    start=$(date +%s%N)
    bash -c "${entry#*|}" >/dev/null 2>"$work/stderr" || { echo "$name failed:"; cat "$work/stderr"; exit 1; }
    end=$(date +%s%N)
    echo "$name $((end - start))" >> "$work/results"
    # every publisher's message arrived whole
    tool get "$queue" > "$work/got" || { echo "$name: nothing arrived"; exit 1; }
    /usr/bin/python3 -c 'import base64, json, os, sys
got = len(base64.b64decode(json.load(open(sys.argv[1]))["body_base64"]))
sys.exit(got != os.path.getsize(sys.argv[2]))' "$work/got" "$work/message.raw" \
      || { echo "$name: the message arrived cut"; exit 1; }
  done
done

/usr/bin/python3 - "$work/results" "$mb" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    name, wall = line.split()
    rows.setdefault(name, []).append(int(wall) / 1e9)
print(f"{sys.argv[2]} MB, compression off, {len(next(iter(rows.values())))} runs each")
print(f"{'publisher':20s} {'wall s median':>14s} {'best':>7s}")
median = {name: statistics.median(s) for name, s in rows.items()}
for name, samples in rows.items():
    print(f"{name:20s} {median[name]:14.3f} {min(samples):7.3f}")
print(f"ratio client-amqps / amqp-publish-ssl: {median['client-amqps'] / median['amqp-publish-ssl']:.2f}")
print(f"ratio client-amqps / client-amqp:      {median['client-amqps'] / median['client-amqp']:.2f}")
PY
