#!/usr/bin/python3
"""The broker's side of the conversations in the engine tests, and what the
client must write, computed with the struct module alone. Usage:
engineoracle.py <program path> <platform text>. Prints one line per frame:
its name and its bytes in hex."""

import struct
import sys


def frame(kind, channel, payload):
    return struct.pack(">BHI", kind, channel, len(payload)) + payload + b"\xce"


def method(channel, class_id, method_id, arguments=b""):
    return frame(1, channel, struct.pack(">HH", class_id, method_id) + arguments)


def shortstr(text):
    data = text.encode() if isinstance(text, str) else text
    return struct.pack(">B", len(data)) + data


def longstr(text):
    data = text.encode() if isinstance(text, str) else text
    return struct.pack(">I", len(data)) + data


def bits(*flags):
    return struct.pack(">B", sum(1 << i for i, flag in enumerate(flags) if flag))


def table(entries):
    """entries: {key: (type code, encoded value)}, written in key order."""
    body = b"".join(shortstr(key) + code.encode() + value for key, (code, value) in sorted(entries.items()))
    return struct.pack(">I", len(body)) + body


def header(channel, size, properties=b"\x00\x00"):
    return frame(2, channel, struct.pack(">HHQ", 60, 0, size) + properties)


def frames(program, platform):
    capabilities = table({
        "authentication_failure_close": ("t", b"\x01"),
        "consumer_cancel_notify": ("t", b"\x01"),
        "connection.blocked": ("t", b"\x01"),
    })
    client = {
        "version": ("S", longstr("Brisklet 4.3.27")),
        "copyright": ("S", longstr("Copyright Orvanta, maker of the Brisklet AMQP library")),
        "information": ("S", longstr("https://orvanta.example/brisklet")),
        "capabilities": ("F", capabilities),
        "product": ("S", longstr(program)),
        "connection_name": ("S", longstr(program)),
        "platform": ("S", longstr(platform)),
    }
    login = longstr(b"\0mailer\0secret")
    server = table({"product": ("S", longstr("broker")), "version": ("S", longstr("3.12.1"))})

    # the client
    yield "protocol-header", b"AMQP\x00\x00\x09\x01"
    yield "start-ok", method(0, 10, 11, table(client) + shortstr("PLAIN") + login + shortstr("en_US"))
    custom = dict(client)
    custom["capabilities"] = ("F", table({"mine": ("t", b"\x00")}))
    custom["product"] = ("S", longstr("tarvex"))
    yield "start-ok-custom", method(0, 10, 11, table(custom) + shortstr("PLAIN") + login + shortstr("en_US"))
    yield "tune-ok", method(0, 10, 31, struct.pack(">HIH", 0, 4096, 0))
    yield "tune-ok-heartbeat", method(0, 10, 31, struct.pack(">HIH", 0, 4096, 30))
    yield "tune-ok-unlimited", method(0, 10, 31, struct.pack(">HIH", 2, 0, 0))
    yield "open", method(0, 10, 40, shortstr("/mail") + shortstr("") + bits(False))
    yield "close", method(0, 10, 50, struct.pack(">H", 0) + shortstr("shutdown") + struct.pack(">HH", 0, 0))
    yield "close-ok", method(0, 10, 51)
    yield "heartbeat", frame(8, 0, b"")
    for channel in (1, 2, 3):
        yield "channel-open-%d" % channel, method(channel, 20, 10, shortstr(""))
        yield "channel-close-%d" % channel, method(channel, 20, 40, struct.pack(">h", 0) + shortstr("") +
                                                   struct.pack(">hh", 0, 0))
        yield "channel-close-ok-%d" % channel, method(channel, 20, 41)
    yield "confirm-select", method(1, 85, 10, bits(False))
    yield "publish", method(1, 60, 40, struct.pack(">h", 0) + shortstr("outbox") + shortstr("mail") + bits(False, False))
    yield "publish-mandatory", method(1, 60, 40, struct.pack(">h", 0) + shortstr("outbox") + shortstr("mail") +
                                      bits(True, False))
    yield "content-header-5", header(1, 5)
    yield "content-header-0", header(1, 0)
    yield "content-header-4088", header(1, 4088)
    yield "content-header-4089", header(1, 4089)
    yield "content-header-gzip", header(1, 5, bytes([0x60, 0x00]) + shortstr("gzip") +
                                        table({"recipients": ("S", longstr("a@example.org"))}))
    yield "body-hello", frame(3, 1, b"hello")
    yield "body-4088", frame(3, 1, b"x" * 4088)
    yield "body-x", frame(3, 1, b"x")
    yield "content-header-10000", header(1, 10000)
    yield "body-10000", frame(3, 1, b"x" * 10000)
    yield "queue-declare", method(1, 50, 10, struct.pack(">h", 0) + shortstr("mails") + bits(False, True) + table({}))
    yield "exchange-declare-nowait", method(1, 40, 10, struct.pack(">H", 0) + shortstr("outbox") +
                                            shortstr("topic") + bits(False, False, False, False, True) + table({}))
    yield "queue-bind", method(1, 50, 20, struct.pack(">H", 0) + shortstr("mails") + shortstr("outbox") +
                               shortstr("#") + bits(False) + table({}))
    yield "basic-get", method(1, 60, 70, struct.pack(">H", 0) + shortstr("mails") + bits(True))
    yield "basic-consume", method(1, 60, 20, struct.pack(">H", 0) + shortstr("mails") + shortstr("") +
                                  bits(False, False, False, False) + table({}))
    yield "basic-cancel", method(1, 60, 30, shortstr("ctag-1") + bits(False))
    yield "channel-close-ok-9", method(9, 20, 41)
    yield "basic-nack-7", method(1, 60, 120, struct.pack(">Q", 7) + bits(True, True))
    yield "basic-ack-7", method(1, 60, 80, struct.pack(">Q", 7) + bits(False))
    yield "unexpected-close", method(1, 20, 40, struct.pack(">h", 505) +
                                     shortstr("message body exceeds its announced size") + struct.pack(">hh", 0, 0))

    # the broker
    yield "start", method(0, 10, 10, struct.pack(">BB", 0, 9) + server + longstr("PLAIN AMQPLAIN") + longstr("en_US"))
    yield "tune", method(0, 10, 30, struct.pack(">HIH", 0, 4096, 60))
    yield "tune-unlimited", method(0, 10, 30, struct.pack(">HIH", 2, 0, 0))
    yield "open-ok", method(0, 10, 41, shortstr(""))
    yield "broker-close", method(0, 10, 50, struct.pack(">H", 320) + shortstr("CONNECTION_FORCED - shutdown") +
                                 struct.pack(">HH", 0, 0))
    yield "blocked", method(0, 10, 60, shortstr("low on memory"))
    yield "unblocked", method(0, 10, 61)
    for channel in (1, 2, 3):
        yield "channel-open-ok-%d" % channel, method(channel, 20, 11, longstr(""))
    yield "confirm-select-ok", method(1, 85, 11)
    yield "ack-1", method(1, 60, 80, struct.pack(">Q", 1) + bits(False))
    yield "ack-2", method(1, 60, 80, struct.pack(">Q", 2) + bits(False))
    yield "ack-2-multiple", method(1, 60, 80, struct.pack(">Q", 2) + bits(True))
    yield "ack-3-multiple", method(1, 60, 80, struct.pack(">Q", 3) + bits(True))
    yield "ack-9", method(1, 60, 80, struct.pack(">Q", 9) + bits(False))
    yield "nack-1", method(1, 60, 120, struct.pack(">Q", 1) + bits(False, True))
    yield "nack-2-multiple", method(1, 60, 120, struct.pack(">Q", 2) + bits(True, False))
    yield "channel-close-unknown-tag", method(1, 20, 40, struct.pack(">h", 406) +
                                              shortstr("basic.ack of delivery tag 9, which was never published") +
                                              struct.pack(">hh", 60, 80))
    yield "channel-error", method(1, 20, 40, struct.pack(">h", 404) + shortstr("NOT_FOUND - no exchange 'outbox'") +
                                  struct.pack(">hh", 60, 40))
    yield "channel-error-9", method(9, 20, 40, struct.pack(">h", 404) + shortstr("NOT_FOUND") +
                                    struct.pack(">hh", 60, 40))
    yield "channel-close-ok-from-broker", method(1, 20, 41)
    yield "return", method(1, 60, 50, struct.pack(">h", 312) + shortstr("NO_ROUTE") + shortstr("outbox") +
                           shortstr("nowhere"))
    yield "returned-header", header(1, 5, bytes([0x40, 0x00]) + shortstr("gzip"))
    yield "returned-header-4", header(1, 4)
    yield "returned-body-he", frame(3, 1, b"he")
    yield "returned-body-llo", frame(3, 1, b"llo")
    yield "queue-declare-ok", method(1, 50, 11, shortstr("mails") + struct.pack(">ii", 12, 3))
    yield "queue-bind-ok", method(1, 50, 21)
    yield "exchange-declare-ok", method(1, 40, 11)
    yield "get-ok", method(1, 60, 71, struct.pack(">Q", 7) + bits(True) + shortstr("outbox") + shortstr("mail") +
                           struct.pack(">I", 4))
    yield "get-empty", method(1, 60, 72, shortstr(""))
    yield "consume-ok", method(1, 60, 21, shortstr("ctag-1"))
    yield "deliver", method(1, 60, 60, shortstr("ctag-1") + struct.pack(">Q", 8) + bits(False) + shortstr("outbox") +
                            shortstr("mail"))
    yield "cancel-ok", method(1, 60, 31, shortstr("ctag-1"))
    yield "broker-cancel", method(1, 60, 30, shortstr("ctag-1") + bits(True))
    # received frames that break the protocol
    yield "oversized-header", struct.pack(">BHI", 1, 0, 4089)
    yield "bad-end-marker", method(0, 10, 61)[:-1] + b"\x00"
    yield "start-ok-from-broker", method(0, 10, 11, table({}) + shortstr("PLAIN") + longstr("") + shortstr("en_US"))


for name, data in frames(sys.argv[1], sys.argv[2]):
    print(name, data.hex())
