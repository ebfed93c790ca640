"""Prints, for each message file given, what Python's email package (compat32
policy) makes of it: header names and values, where the body starts, and the
multipart tree (boundary, preamble, parts, epilogue) with every leaf's body
as written and as decoded from its transfer encoding. The C++ test prints the
same form from the MIME library and compares the two."""
import sys
from email import policy
from email.parser import BytesParser


def esc(data):
    if isinstance(data, str):
        # surrogates for bytes Python could not decode
        data = data.encode("utf-8", "surrogateescape")
    out = []
    for b in data:
        if 0x20 <= b < 0x7F and b != 0x5C:
            out.append(chr(b))
        else:
            out.append("\\x%02x" % b)
    return "".join(out)


def strip_end(text):
    # values end at their last byte that is not white space
    return text.rstrip(" \t\r\n\v\f")


def dump(msg, lines):
    for name, value in msg._headers:
        lines.append("header %s: %s" % (esc(name), esc(strip_end(value))))
    if msg.get_content_maintype() == "multipart" and msg.is_multipart():
        lines.append("multipart %s" % esc(msg.get_boundary() or ""))
        lines.append("preamble %s" % esc(msg.preamble or ""))
        for part in msg.get_payload():
            lines.append("part")
            dump(part, lines)
            lines.append("end")
        lines.append("epilogue %s" % esc(msg.epilogue or ""))
    elif msg.is_multipart():
        # message/rfc822 and the like: the enclosed message
        for inner in msg.get_payload():
            lines.append("message")
            dump(inner, lines)
            lines.append("end")
    else:
        lines.append("body %s" % esc(msg.get_payload()))
        lines.append("decoded %s" % esc(msg.get_payload(decode=True) or b""))


def main():
    parser = BytesParser(policy=policy.compat32)
    for path in sys.argv[1:]:
        data = open(path, "rb").read()
        head = parser.parsebytes(data, headersonly=True)
        # undecodable bytes come back as surrogates, 8-bit text of a known
        # charset as its characters
        rest = head.get_payload().encode("utf-8", "surrogateescape")
        lines = ["offset %d" % (len(data) - len(rest))]
        dump(parser.parsebytes(data), lines)
        print("=== " + path)
        print("\n".join(lines))


main()
