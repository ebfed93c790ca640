#!/usr/bin/env bash
# What hostile input costs, beside dkimpy where it does the same work: DKIM
# checks of h= lists built to be slow (one name 300k times over 10k fields,
# a message signed over 50k Cc fields, 100k distinct names over 10k fields),
# the parse of a message of a million empty parts (MB/s, and peak memory over
# its size), the recipients of 200k addresses (peak memory over size), and a
# 64 KB DNS answer whose names are a chain of 8,180 compression pointers
# beside an ordinary 64 KB answer, both read into key records. Prints each
# goal with its ratio; then how the cost of input built to be slow grows
# between two sizes 4x apart. Builds what it needs in build-bench/.
#
#   bench/mime_hostile.sh
. "$(dirname "$0")/common.sh"

bench_build bench_mime_hostile

openssl genrsa -out "$work/key.pem" 2048 2>/dev/null
openssl rsa -in "$work/key.pem" -pubout 2>/dev/null | grep -v -- ----- | tr -d '\n' >"$work/record.txt"

# the inputs, and dkimpy's times on the h= cases
/usr/bin/python3 - "$work" >"$work/dkimpy.txt" <<'PY'
import base64, hashlib, logging, os, signal, struct, sys, time
import dkim
logging.disable(logging.CRITICAL)
work = sys.argv[1]
record = b"v=DKIM1; k=rsa; p=" + open(os.path.join(work, "record.txt"), "rb").read()
private = open(os.path.join(work, "key.pem"), "rb").read()

def write(name, data):
    with open(os.path.join(work, name), "wb") as out:
        out.write(data)

body = b"Hello.\r\n"
bh = base64.b64encode(hashlib.sha256(body).digest())
bogus = base64.b64encode(bytes(256))

def unsigned(fields, names):
    # a signature anyone can write: the right body hash, no key needed
    head = b"From: a@example.com\r\n" + fields + b"Subject: s\r\n"
    sig = (b"DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=example.com; s=sel;\r\n h=from:"
           + b":".join(names) + b";\r\n bh=" + bh + b"; b=" + bogus + b"\r\n")
    return sig + head + b"\r\n" + body

write("repeated.eml", unsigned(b"X: 1\r\n" * 10000, [b"x"] * 300000))
write("distinct.eml", unsigned(b"X: 1\r\n" * 10000, [b"n%d" % i for i in range(100000)]))
cc = b"From: a@example.com\r\n" + b"".join(b"Cc: c%d@example.org\r\n" % i for i in range(50000)) + \
     b"Subject: s\r\n\r\n" + body
write("copies.eml", dkim.sign(cc, b"sel", b"example.com", private, canonicalize=(b"relaxed", b"relaxed"),
                              include_headers=[b"from", b"subject"] + [b"cc"] * 50000) + cc)
write("parts.eml", b"Content-Type: multipart/mixed; boundary=a\r\n\r\n" + b"--a\n\n" * 1000000 + b"--a--\n")
write("recipients.eml", b"From: a@example.com\r\nTo: " +
      b",\r\n ".join(b"user%d@example%d.com" % (i, i % 100) for i in range(200000)) +
      b"\r\nSubject: s\r\n\r\n" + body)

# DNS answers of 64 KB: 3,500 TXT records after a chain of 8,180 pointers
# that every owner name points at the end of, or owners pointing at the
# question as usual
question = b"".join(bytes([len(l)]) + l for l in [b"sel", b"_domainkey", b"example", b"com"]) + b"\0" + \
           struct.pack(">HH", 16, 1)
def answer(count, owner_of, first=b""):
    head = struct.pack(">HHHHHH", 1, 0x8180, 1, count + (1 if first else 0), 0, 0) + question + first
    data = b"\x09v=DKIM1; "
    rr = lambda owner: owner + struct.pack(">HHIH", 16, 1, 60, len(data)) + data
    return head + b"".join(rr(owner_of(len(head))) for _ in range(count))
start = 12 + len(question) + 1 + 10
chain = b"\0" + b"".join(struct.pack(">H", 0xc000 | (start + (0 if i == 0 else 1 + 2 * (i - 1))))
                         for i in range(8180))
first = b"\0" + struct.pack(">HHIH", 16, 1, 60, len(chain)) + chain
last = start + 1 + 2 * 8179
chained = answer(3500, lambda _: struct.pack(">H", 0xc000 | last), first)
write("chained.dns", chained)
ordinary = answer(3500, lambda _: b"\xc0\x0c", b"\0" + struct.pack(">HHIH", 16, 1, 60, len(chain)) +
                  b"".join(bytes([255]) + b"x" * 255 for _ in range(len(chain) // 256)) +
                  b"\1x" * ((len(chain) % 256) // 2) + b"x" * ((len(chain) % 256) % 2))
write("ordinary.dns", ordinary)

# What grows with the input, each at two sizes, 4x apart: every one of many
# DKIM-Signature fields checked (anyone can write them: the right body hash,
# a b= of zeros), one signature of many tags, a lenient
# Authentication-Results value of many junk words, and removing many
# signatures of our own (unsign).
def many_signatures(count):
    sig = lambda i: (b"DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=example.com; s=sel; n=%d;\r\n"
                     b" h=from:subject; bh=%s; b=%s\r\n" % (i, bh, bogus))
    return b"".join(sig(i) for i in range(count)) + b"From: a@example.com\r\nSubject: s\r\n\r\n" + body
def many_tags(count):
    sig = (b"DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=example.com; s=sel; h=from:subject;\r\n "
           + b"; ".join(b"x%d=1" % i for i in range(count)) + b";\r\n bh=" + bh + b"; b=" + bogus + b"\r\n")
    return sig + b"From: a@example.com\r\nSubject: s\r\n\r\n" + body
def own_signatures(count):
    sig = lambda i: b"DKIM-Signature: v=1; a=rsa-sha256; d=example.com; s=sel; h=from; bh=AA; b=%d\r\n" % i
    return b"".join(sig(i) for i in range(count)) + b"From: a@example.com\r\n\r\n" + body
for size, factor in [("small", 1), ("large", 4)]:
    write("signatures-%s.eml" % size, many_signatures(1000 * factor))
    write("tags-%s.eml" % size, many_tags(25000 * factor))
    write("results-%s.txt" % size, b"example.org; dkim=pass" + b" junk" * (25000 * factor) + b"; spf=pass")
    write("unsign-%s.eml" % size, own_signatures(25000 * factor))

def dns(name, timeout=5):
    return record

class Late(Exception):
    pass
def alarm(*_):
    raise Late()
signal.signal(signal.SIGALRM, alarm)
for name in ["repeated.eml", "copies.eml", "distinct.eml"]:
    text = open(os.path.join(work, name), "rb").read()
    signal.alarm(60)
    try:
        start = time.perf_counter()
        dkim.verify(text, dnsfunc=dns)
        print(name, time.perf_counter() - start)
    except Late:
        print(name, "inf")
    signal.alarm(0)
# the peers on the growing cases: dkimpy checks every field, authres reads
# the results
import authres
def timed(name, work):
    signal.alarm(60)
    try:
        start = time.perf_counter()
        work()
        print(name, time.perf_counter() - start)
    except Late:
        print(name, "inf")
    signal.alarm(0)
def every_signature(text):
    d = dkim.DKIM(text)
    for i in range(text.count(b"DKIM-Signature:")):
        d.verify(idx=i, dnsfunc=dns)
for size in ["small", "large"]:
    read = lambda name: open(os.path.join(work, name), "rb").read()
    signatures, tags = read("signatures-%s.eml" % size), read("tags-%s.eml" % size)
    results = read("results-%s.txt" % size).decode()
    timed("signatures-%s.eml" % size, lambda: every_signature(signatures))
    timed("tags-%s.eml" % size, lambda: dkim.verify(tags, dnsfunc=dns))
    timed("results-%s.txt" % size,
          lambda: authres.AuthenticationResultsHeader.parse("Authentication-Results: " + results))
PY

# the memory cases each in a process of their own
for filter in '^(repeated|copies|distinct|ordinary|chained)$' '^(signatures|verify|results|unsign)/' '^parts' \
  '^recipients' '^(rawSubject|rawName|lookalikes|gappedNames|doubledNames)/'; do
  ORVANTA_BENCH_DIR="$work" "$build/bench/bench_mime_hostile" --benchmark_filter="$filter" \
    --benchmark_format=json --benchmark_out="$work/bench.json" --benchmark_out_format=json >/dev/null
  /usr/bin/python3 -c 'import json, sys; print(json.dumps(json.load(open(sys.argv[1]))["benchmarks"]))' \
    "$work/bench.json" >>"$work/runs.txt"
done

/usr/bin/python3 - "$work" <<'PY'
import json, os, sys
work = sys.argv[1]
every = [b for line in open(os.path.join(work, "runs.txt")) for b in json.loads(line)]
runs = {b["name"].split("/")[0]: b for b in every}
named = {b["name"]: b for b in every}
theirs = {}
for line in open(os.path.join(work, "dkimpy.txt")):
    name, seconds = line.split()
    theirs[name] = float(seconds)
size = lambda name: os.path.getsize(os.path.join(work, name))
def seconds(run):
    return run["real_time"] / {"ms": 1e3, "us": 1e6, "ns": 1e9, "s": 1}[run["time_unit"]]
print(f"{'case':44s} {'ours':>10s} {'dkimpy':>10s} {'ratio':>7s}  goal")
for key, name, what in [("repeated", "repeated.eml", "h=x x 300k over 10k X fields"),
                        ("copies", "copies.eml", "signed over 50k Cc fields"),
                        ("distinct", "distinct.eml", "100k distinct names over 10k fields")]:
    ours, py = seconds(runs[key]), theirs[name]
    py_text = ">60 s" if py == float("inf") else f"{py:9.3f}s"
    ratio = ours / py
    met = ratio <= 1.0 and ours < 0.1
    print(f"{what + ' (' + str(size(name) // 1024) + ' KB)':44s} {ours:9.3f}s {py_text:>10s} {ratio:6.3f}x"
          f"  <=1.0x and <0.1 s: {'met' if met else 'NOT met'} ({runs[key]['label']})")
parts = runs["parts"]
mb = size("parts.eml") / 1e6
print(f"1M empty parts ({mb:.1f} MB): {mb / seconds(parts):.1f} MB/s, {parts['parts']:.0f} parts, "
      f"peak memory {parts['peak_ratio']:.1f}x the size (goal <=20x: "
      f"{'met' if parts['peak_ratio'] <= 20 else 'NOT met'})")
rec = runs["recipients"]
print(f"recipients() of {rec['addresses']:.0f} addresses ({size('recipients.eml') / 1e6:.1f} MB): "
      f"{seconds(rec):.3f} s, peak memory {rec['peak_ratio']:.1f}x the size (goal <=10x: "
      f"{'met' if rec['peak_ratio'] <= 10 else 'NOT met'})")
plain, chained = runs["ordinary"], runs["chained"]
ratio = seconds(chained) / seconds(plain)
print(f"64 KB DNS answer read into key records: ordinary {seconds(plain) * 1e6:.0f} us "
      f"({plain['records']:.0f} records), pointer chain {seconds(chained) * 1e6:.0f} us "
      f"({chained['records']:.0f} records): {ratio:.2f}x (goal <=10x: {'met' if ratio <= 10 else 'NOT met'})")
print()
print(f"{'growth with the input (two sizes, 4x apart)':52s} {'small':>9s} {'large':>9s} {'growth':>7s}"
      f" | {'peer':8s} {'small':>9s} {'large':>9s} {'growth':>7s}")
def shown(value):
    return ">60 s" if value == float("inf") else f"{value:8.3f}s"
for what, small, large, files, peer in [
        ("checking every one of 1k / 4k DKIM-Signature fields", "signatures/small", "signatures/large",
         "signatures-%s.eml", "dkimpy"),
        ("one DKIM-Signature of 25k / 100k tags, checked", "verify/tags_small", "verify/tags_large",
         "tags-%s.eml", "dkimpy"),
        ("lenient Authentication-Results, 25k / 100k junk words", "results/small", "results/large",
         "results-%s.txt", "authres"),
        ("unsign of 25k / 100k own signatures", "unsign/small", "unsign/large", "unsign-%s.eml", None),
        ("raw cp1251 Subject, 4k / 16k words, fix + write", "rawSubject/4000", "rawSubject/16000",
         None, None),
        ("raw cp1251 display name, 4k / 16k words, fix + write", "rawName/4000", "rawName/16000", None, None),
        ('quoted name, 2k / 8k glued look-alikes, fix + write', "lookalikes/2000", "lookalikes/8000",
         None, None),
        ("4k / 16k names of section 1 only, parse + write", "gappedNames/4000", "gappedNames/16000",
         None, None),
        ("4k / 16k names with section 0 twice, parse + write", "doubledNames/4000", "doubledNames/16000",
         None, None)]:
    ours = [seconds(named[small]), seconds(named[large])]
    row = f"{what:52s} {shown(ours[0]):>9s} {shown(ours[1]):>9s} {ours[1] / ours[0]:6.1f}x"
    if peer is not None:
        py = [theirs[files % "small"], theirs[files % "large"]]
        growth = "" if float("inf") in py else f"{py[1] / py[0]:6.1f}x"
        row += f" | {peer:8s} {shown(py[0]):>9s} {shown(py[1]):>9s} {growth:>7s}"
    elif files is not None:
        row += " | (no peer removes signatures)"
    print(row)
print("(linear work grows about 4x, quadratic 16x)")
PY
