"""Generates host names with what Python's built-in idna codec (IDNA2003)
makes of them, for the Hostname tests.

Lines are tab-separated, texts hex-encoded UTF-8:

  name  NAME  LENIENT  ASCII  UNICODE  STRICT
      LENIENT is "ok" or "fail"; ASCII and UNICODE are the two forms a
      lenient Hostname holds (empty on failure); STRICT is "ok", "fail", or
      the error code of the STD3 rule that refuses the name (3: a character
      other than a letter, digit or hyphen; 4: a hyphen at either end).
  ace   ASCII  UNICODE
      an ASCII-compatible name and the Unicode form decoded from it.

A lenient name whose every byte is ASCII is kept as it is: no conversion to
ASCII runs on it, so whatever the codec says of it does not count.
"""
import encodings.idna
import random
import sys

POOLS = [
    "abcdefghijklmnopqrstuvwxyz0123456789",
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
    "àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿ",
    "ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞ",
    "āăąćĉċčďđēĕėęěĝğġģĥħĩīĭįıĵķĺļľłńņňŋōŏőœŕŗřśŝşšţťŧũūŭůűųŵŷźżž",
    "αβγδεζηθικλμνξοπρστυφχψωΑΒΓΔΩ",
    "абвгдежзийклмнопрстуфхцчшщъыьэюяАБВГДЯ",
    "一二三中国日本語漢字東京",
    "ぁあいうえおかきくけこさしすせそ",
    "ßｆｕｌｌ",  # ß maps to ss, fullwidth letters to ASCII
    "-_",
    "אבגדהוזחטיכלמנסעפצקרשת",  # right-to-left: mixing it with letters breaks the bidi rule
    "\u00ad",  # soft hyphen: mapped to nothing
]


def label(rng):
    pools = rng.sample(POOLS[:9], rng.choice([1, 1, 2]))
    extra = rng.random()
    if extra < 0.15:
        pools.append(POOLS[9])
    elif extra < 0.25:
        pools.append(POOLS[10])
    elif extra < 0.3:
        pools.append(POOLS[12])
    if rng.random() < 0.06:
        pools = [POOLS[11]] if rng.random() < 0.6 else [POOLS[11], POOLS[0]]
    chars = "".join(pools)
    length = rng.choice([1, 2, 3, 5, 8, 12]) if rng.random() > 0.05 else rng.randint(40, 70)
    return "".join(rng.choice(chars) for _ in range(length))


def name(rng):
    labels = [label(rng) for _ in range(rng.randint(1, 3))]
    labels.append(rng.choice(["com", "example", "de", "org", "中国", "рф"]))
    text = ".".join(labels)
    if rng.random() < 0.05:
        text += "."
    if rng.random() < 0.03:
        text = text.replace(".", "..", 1)
    return text


def hexed(text):
    return text.encode("utf-8").hex()


def std3(text):
    """The code libidn's STD3 rules give the name, or None when they pass."""
    for part in text.rstrip(".").split("."):
        if any(ord(c) >= 0x80 for c in part):
            part = encodings.idna.nameprep(part)
        if any(ord(c) < 0x80 and not (c.isalnum() or c == "-") for c in part):
            return "3"
        if part.startswith("-") or part.endswith("-"):
            return "4"
    return None


def case(text):
    ascii_only = all(ord(c) < 0x80 for c in text)
    try:
        encoded = text.encode("idna").decode("ascii")
    except UnicodeError:
        encoded = None
    if ascii_only and "xn--" not in text.lower():
        lenient = ("ok", text, text)
    elif encoded is None:
        lenient = ("fail", "", "")
    else:
        lenient = ("ok", encoded, text)
    if encoded is None:
        strict = "fail"
    else:
        strict = std3(text) or "ok"
    return "name\t%s\t%s\t%s\t%s\t%s" % (hexed(text), lenient[0], hexed(lenient[1]), hexed(lenient[2]), strict)


def ace(encoded):
    return "ace\t%s\t%s" % (hexed(encoded), hexed(encoded.encode("ascii").decode("idna")))


def generate(rng):
    out = []
    seen = set()
    while len(out) < 600:
        text = name(rng)
        if text in seen:
            continue
        seen.add(text)
        out.append(case(text))
        if not all(ord(c) < 0x80 for c in text):
            try:
                out.append(ace(text.encode("idna").decode("ascii")))
            except UnicodeError:
                pass
    return out


if __name__ == "__main__":
    seed = int(sys.argv[1]) if len(sys.argv) > 1 else 1
    print("\n".join(generate(random.Random(seed))))
