#!/usr/bin/python3
"""Hand-computed AMQP 0-9-1 frames, written with the struct module alone:
the independent side of the frame encoding tests. Prints one line per case,
its name and the frame's bytes in hex."""

import struct


def frame(kind, channel, payload):
    return struct.pack(">BHI", kind, channel, len(payload)) + payload + b"\xce"


def method(channel, class_id, method_id, arguments=b""):
    return frame(1, channel, struct.pack(">HH", class_id, method_id) + arguments)


def shortstr(text):
    data = text.encode()
    return struct.pack(">B", len(data)) + data


def longstr(text):
    data = text.encode() if isinstance(text, str) else text
    return struct.pack(">I", len(data)) + data


def bits(*flags):
    return struct.pack(">B", sum(1 << i for i, flag in enumerate(flags) if flag))


def table(entries):
    """entries: (key, type code, encoded value) in the order they go out."""
    body = b"".join(shortstr(key) + code.encode() + value for key, code, value in entries)
    return struct.pack(">I", len(body)) + body


def cases():
    capabilities = table([("authentication_failure_close", "t", b"\x01"),
                          ("consumer_cancel_notify", "t", b"\x01")])
    client = table([("capabilities", "F", capabilities), ("product", "S", longstr("tarvex"))])
    server = table([("cluster_name", "S", longstr("rabbit@test")), ("version", "S", longstr("3.12.1"))])
    arguments = table([("x-max-length", "I", struct.pack(">i", 10)), ("x-queue-type", "S", longstr("classic"))])

    # sent by the client
    yield "protocol-header", b"AMQP\x00\x00\x09\x01"
    yield "heartbeat", frame(8, 0, b"")
    yield "start-ok", method(0, 10, 11, client + shortstr("PLAIN") + longstr("\0guest\0guest") + shortstr("en_US"))
    yield "tune-ok", method(0, 10, 31, struct.pack(">HIH", 2047, 131072, 60))
    yield "open", method(0, 10, 40, shortstr("/") + shortstr("") + bits(False))
    yield "close", method(0, 10, 50, struct.pack(">H", 0) + shortstr("shutdown") + struct.pack(">HH", 0, 0))
    yield "close-ok", method(0, 10, 51)
    yield "channel-open", method(1, 20, 10, shortstr(""))
    yield "channel-close", method(3, 20, 40, struct.pack(">h", 406) + shortstr("PRECONDITION_FAILED") +
                                  struct.pack(">hh", 50, 10))
    yield "exchange-declare", method(1, 40, 10, struct.pack(">H", 0) + shortstr("outbox") + shortstr("topic") +
                                     bits(False, True, False, False, True) + table([]))
    yield "exchange-unbind", method(1, 40, 40, struct.pack(">H", 0) + shortstr("dst") + shortstr("src") +
                                    shortstr("a.b") + bits(False) + table([]))
    yield "queue-declare", method(2, 50, 10, struct.pack(">h", 0) + shortstr("mails") +
                                  bits(False, True, True, False, False) + arguments)
    yield "queue-unbind", method(2, 50, 50, struct.pack(">h", 0) + shortstr("mails") + shortstr("outbox") +
                                 shortstr("#") + table([]))
    yield "queue-delete", method(2, 50, 40, struct.pack(">h", 0) + shortstr("mails") + bits(True, False, True))
    yield "basic-qos", method(1, 60, 10, struct.pack(">ih", 0, 10) + bits(True))
    yield "basic-consume", method(1, 60, 20, struct.pack(">H", 0) + shortstr("mails") + shortstr("ctag") +
                                  bits(False, True, False, False) + table([]))
    yield "basic-publish", method(1, 60, 40, struct.pack(">h", 0) + shortstr("outbox") + shortstr("mail") +
                                  bits(True, False))
    yield "basic-ack", method(1, 60, 80, struct.pack(">Q", (1 << 40) + 5) + bits(True))
    yield "basic-nack", method(1, 60, 120, struct.pack(">Q", 7) + bits(True, True))
    yield "basic-reject", method(1, 60, 90, struct.pack(">q", 9) + bits(False))
    yield "confirm-select", method(1, 85, 10, bits(False))
    yield "tx-commit", method(5, 90, 20)
    yield "body", frame(3, 1, b"hello, world")
    yield "content-header", frame(2, 1, struct.pack(">HHQ", 60, 0, 1234) + bytes([0x60, 0x00]) + shortstr("gzip") +
                                  table([("recipients", "S", longstr("a@example.org,b@example.org"))]))

    # sent by the broker
    yield "start", method(0, 10, 10, struct.pack(">BB", 0, 9) + server + longstr("AMQPLAIN PLAIN") +
                          longstr("en_US"))
    yield "tune", method(0, 10, 30, struct.pack(">HIH", 2047, 131072, 60))
    yield "open-ok", method(0, 10, 41, shortstr(""))
    yield "broker-close", method(0, 10, 50, struct.pack(">H", 320) + shortstr("CONNECTION_FORCED") +
                                 struct.pack(">HH", 0, 0))
    yield "blocked", method(0, 10, 60, shortstr("low on memory"))
    yield "queue-declare-ok", method(2, 50, 11, shortstr("amq.gen-1") + struct.pack(">ii", 12, 3))
    yield "basic-deliver", method(1, 60, 60, shortstr("ctag") + struct.pack(">Q", 42) + bits(True) +
                                  shortstr("outbox") + shortstr("mail"))
    yield "basic-get-ok", method(1, 60, 71, struct.pack(">Q", 43) + bits(False) + shortstr("outbox") +
                                 shortstr("mail") + struct.pack(">I", 17))
    yield "basic-return", method(1, 60, 50, struct.pack(">h", 312) + shortstr("NO_ROUTE") + shortstr("outbox") +
                                 shortstr("nowhere"))
    yield "broker-ack", method(1, 60, 80, struct.pack(">Q", 3) + bits(True))
    yield "unbind-ok", method(1, 40, 51)


for name, data in cases():
    print(name, data.hex())
