"""Generates IP address cases with their expected results, computed by the
ipaddress module, for the Ip and IpAddress tests; with "check" it reads back
what the C++ side printed and reports every text that is not the address it
was meant to be.

Output lines are tab-separated; addresses are written as V:HEX (version and
the address bytes in network order).

Texts in the legacy inet_aton forms ("127.1", "0x7f.0.0.1", "010.0.0.1") are
not generated: the system's numeric parser accepts them and ipaddress does
not, so the two cannot agree on them.
"""
import ipaddress
import random
import sys


def fold(address):
    if address.version == 6 and address.ipv4_mapped is not None:
        return address.ipv4_mapped
    return address


def code(address):
    address = fold(address)
    return "%d:%s" % (address.version, address.packed.hex())


def random_v4(rng):
    pick = rng.random()
    if pick < 0.1:
        return ipaddress.IPv4Address(rng.choice([0, 0xFFFFFFFF, 0x7F000001, 0xFFFFFFFE]))
    if pick < 0.3:
        # a last byte of 255 makes increments carry
        return ipaddress.IPv4Address(rng.getrandbits(24) << 8 | 0xFF)
    return ipaddress.IPv4Address(rng.getrandbits(32))


def random_v6(rng):
    pick = rng.random()
    if pick < 0.1:
        return ipaddress.IPv6Address(rng.choice([0, 1, (1 << 128) - 1, (1 << 128) - 2]))
    if pick < 0.25:
        # mapped IPv4
        return ipaddress.IPv6Address((0xFFFF << 32) | rng.getrandbits(32))
    if pick < 0.35:
        # one below the mapped range: incrementing lands in it
        return ipaddress.IPv6Address((0xFFFF << 32) - 1)
    if pick < 0.5:
        # runs of zero groups, so that the text gets compressed
        groups = [rng.getrandbits(16) if rng.random() < 0.4 else 0 for _ in range(8)]
        return ipaddress.IPv6Address(int("".join("%04x" % g for g in groups), 16))
    if pick < 0.6:
        # trailing 0xff bytes carry on increment
        return ipaddress.IPv6Address(rng.getrandbits(96) << 32 | 0xFFFFFFFF)
    return ipaddress.IPv6Address(rng.getrandbits(128))


def texts_v6(rng, address):
    """Several spellings of one IPv6 address."""
    forms = [address.exploded, address.compressed, address.compressed.upper()]
    groups = address.exploded.split(":")
    forms.append(":".join(g.lstrip("0") or "0" for g in groups))
    last = address.packed[12:]
    forms.append(":".join(groups[:6]) + ":" + ".".join(str(b) for b in last))
    return rng.sample(forms, 2)


INVALID = [
    "", " ", "1.2.3.256", "1.2.3.4.5", "256.0.0.0", "1.2.3.-1", "1..2.3", ".1.2.3", "1.2.3.",
    ":::", "1::2::3", "12345::", "g::1", "::1::", "1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7",
    "::ffff:1.2.3", "::1.2.3.4.5", "[::1]", "example.com", "localhost", "1.2.3.4/24", "::1/128",
    "1.2.3.4 ", " 1.2.3.4", "1.2.3.4\x01", "0x", "abc", "-1", "1.2.3.4:80", "fe80:::1",
    "2001:db8::1:", ":2001:db8::1", "1.2.3.4\xc3\xa9",
]


def generate(rng):
    out = []
    addresses = []
    for _ in range(150):
        a = random_v4(rng)
        addresses.append(a)
        out.append("parse\t%s\t%s" % (str(a), code(a)))
    for _ in range(150):
        a = random_v6(rng)
        addresses.append(a)
        for text in texts_v6(rng, a):
            out.append("parse\t%s\t%s" % (text, code(a)))
    for text in INVALID:
        try:
            ipaddress.ip_address(text)
        except ValueError:
            out.append("invalid\t%s" % text)
        else:
            raise SystemExit("not invalid: %r" % text)
    # orders by version, then bytes
    for _ in range(200):
        a, b = rng.choice(addresses), rng.choice(addresses)
        if rng.random() < 0.1:
            b = a
        fa, fb = fold(a), fold(b)
        ka, kb = (fa.version, fa.packed), (fb.version, fb.packed)
        out.append("order\t%s\t%s\t%d" % (code(a), code(b), (ka > kb) - (ka < kb)))
    for a in addresses:
        a = fold(a)
        top = (1 << a.max_prefixlen) - 1
        value = int(a)
        nxt = type(a)(value if value == top else value + 1)
        out.append("next\t%s\t%s" % (code(a), code(nxt)))
        out.append("not\t%s\t%s" % (code(a), code(type(a)(value ^ top))))
    for _ in range(150):
        a, b = fold(rng.choice(addresses)), fold(rng.choice(addresses))
        if a.version == b.version:
            out.append("or\t%s\t%s\t%s" % (code(a), code(b), code(type(a)(int(a) | int(b)))))
            out.append("and\t%s\t%s\t%s" % (code(a), code(b), code(type(a)(int(a) & int(b)))))
        else:
            # other versions leave the target unchanged
            out.append("or\t%s\t%s\t%s" % (code(a), code(b), code(a)))
            out.append("and\t%s\t%s\t%s" % (code(a), code(b), code(a)))
    for bits in range(0, 33):
        out.append("mask\t4\t%d\t%s" % (bits, code(ipaddress.ip_network("0.0.0.0/%d" % bits).netmask)))
    for bits in range(0, 129):
        out.append("mask\t6\t%d\t%s" % (bits, code(ipaddress.ip_network("::/%d" % bits).netmask)))
    return out


def check():
    """Reads "TEXT\tV:HEX" lines; prints those whose text is not that address."""
    bad = 0
    for line in sys.stdin:
        text, expected = line.rstrip("\n").split("\t")
        try:
            got = code(ipaddress.ip_address(text))
        except ValueError as error:
            got = "error: %s" % error
        if got != expected:
            bad += 1
            print("%s\t%s\t%s" % (text, expected, got))
    return 1 if bad else 0


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "check":
        sys.exit(check())
    seed = int(sys.argv[1]) if len(sys.argv) > 1 else 1
    print("\n".join(generate(random.Random(seed))))
