"""Prints, for each message file given, what a reader takes from it with
Python's email package (compat32 policy): the multipart tree, every body
decoded from its transfer encoding, header values with their encoded words
decoded, addresses, and the parameters of Content-Type and
Content-Disposition. Two messages that print the same say the same to a
reader; the C++ test compares a message with what the encoder wrote for it.

Line ends are made LF and one final line end is dropped, since the encoder
writes CR LF and ends every body with a line end; runs of blanks are one
space, since header values may be folded again. The transfer encoding itself
is left out: the encoder may change it."""
import re
import sys
from email import policy
from email.header import decode_header, make_header
from email.message import Message
from email.parser import BytesParser
from email.utils import collapse_rfc2231_value, getaddresses

ADDRESSES = {"from", "resent-from", "sender", "to", "cc", "bcc", "reply-to", "resent-to", "resent-cc",
             "resent-bcc", "resent-reply-to"}


def unicode(text):
    # the parser hands out 8-bit header bytes as surrogates
    return text.encode("utf-8", "surrogateescape").decode("utf-8", "replace")


def words(text):
    text = unicode(text)
    if "=?" in text:
        try:
            text = str(make_header(decode_header(text)))
        except Exception:
            # raw 8-bit text beside encoded words, which make_header refuses
            pieces = []
            for piece, charset in decode_header(text):
                if isinstance(piece, bytes):
                    piece = piece.decode(charset or "raw-unicode-escape", "replace")
                pieces.append(piece)
            text = " ".join(pieces)
    return re.sub(r"\s+", " ", text).strip()


def domain(text):
    labels = []
    for label in text.lower().split("."):
        if label.startswith("xn--"):
            try:
                label = label.encode("ascii").decode("idna")
            except Exception:
                pass
        labels.append(label)
    return ".".join(labels)


def address(name, value):
    out = []
    for display, spec in getaddresses([unicode(value)]):
        local, _, host = spec.rpartition("@")
        out.append("%s <%s@%s>" % (words(display), words(local), domain(host)))
    return "address %s: %s" % (name, ", ".join(out))


def params(name, value):
    # read from the raw value made Unicode: the parser's own header object
    # turns 8-bit bytes into replacement characters
    holder = Message()
    holder[name] = re.sub(r"\s+", " ", unicode(value))
    found = holder.get_params(header=name, unquote=True)
    if not found:
        return "params %s: (none)" % name
    out = []
    for key, value in found:
        out.append("%s=%s" % (key.lower(), unicode(collapse_rfc2231_value(value)) if value else ""))
    return "params %s: %s" % (name, "; ".join(out))


def text(data):
    if data is None:
        return b""
    if isinstance(data, str):
        data = data.encode("utf-8", "surrogateescape")
    data = data.replace(b"\r\n", b"\n").replace(b"\r", b"\n")
    if data.endswith(b"\n"):
        data = data[:-1]
    return data


def view(msg, lines):
    for name, value in msg._headers:
        lower = name.lower()
        if lower == "content-transfer-encoding":
            continue
        if lower in ADDRESSES:
            lines.append(address(name, value))
        elif lower in ("content-type", "content-disposition"):
            lines.append(params(lower, value))
        else:
            lines.append("header %s: %s" % (name, words(value)))
    if msg.is_multipart():
        lines.append("multipart %s" % (msg.get_boundary() or ""))
        lines.append("preamble %r" % text(msg.preamble))
        for part in msg.get_payload():
            lines.append("part")
            view(part, lines)
            lines.append("end")
        lines.append("epilogue %r" % text(msg.epilogue))
    else:
        lines.append("body %r" % text(msg.get_payload(decode=True)))


def main():
    parser = BytesParser(policy=policy.compat32)
    for path in sys.argv[1:]:
        lines = []
        view(parser.parsebytes(open(path, "rb").read()), lines)
        print("=== " + path)
        print("\n".join(lines))


main()
