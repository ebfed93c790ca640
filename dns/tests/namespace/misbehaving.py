"""A name server on 127.0.0.2:53 (or the address of the second argument)
that misbehaves on purpose, in the ways a real server will not: the mode
(first argument) says how; a mode it does not know, such as "proper",
answers properly. Every A query for any name is answered 192.0.2.1 when it
is answered properly, a TXT query with the key record KEY; the wrong
answers carry 192.0.2.66. The modes that begin with "tcp-" answer truncated
over UDP and say over TCP how that goes wrong. Each query is logged on
standard output."""
import os
import selectors
import socket
import struct
import sys

mode = sys.argv[1]
address = sys.argv[2] if len(sys.argv) > 2 else "127.0.0.2"
GOOD, BAD = bytes([192, 0, 2, 1]), bytes([192, 0, 2, 66])
KEY = b"v=DKIM1; k=rsa; p=MIGfMA0GCSqGSIb3DQEBAQUAA4GNADCBiQKBgQC"


def question_end(query):
    at = 12
    while query[at]:
        at += 1 + query[at]
    return at + 5


def answer(query, address=GOOD, flags=0x8180, rcode=0, qid=None, question=None):
    qid = struct.unpack(">H", query[:2])[0] if qid is None else qid
    question = query[12:question_end(query)] if question is None else question
    records = b"" if address is None else b"\xc0\x0c\x00\x01\x00\x01\x00\x00\x00\x3c\x00\x04" + address
    if address is not None and question[-4:-2] == b"\x00\x10":
        records = b"\xc0\x0c\x00\x10\x00\x01\x00\x00\x00\x3c" + struct.pack(">HB", len(KEY) + 1, len(KEY)) + KEY
    count = 0 if address is None else 1
    return struct.pack(">HHHHHH", qid, flags | rcode, 1, count, 0, 0) + question + records


def log(text):
    print(text, flush=True)


udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
udp.bind((address, 53))
other = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
other.bind((address, 5353))
selector = selectors.DefaultSelector()
selector.register(udp, selectors.EVENT_READ, "udp")
if mode != "tcp-refused":
    tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    tcp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    tcp.bind((address, 53))
    tcp.listen(16)
    selector.register(tcp, selectors.EVENT_READ, "listen")
silent = []
log("ready")


def on_udp():
    query, sender = udp.recvfrom(4096)
    log("udp %d" % struct.unpack(">H", query[:2])[0])
    send = lambda data: udp.sendto(data, sender)
    qid = struct.unpack(">H", query[:2])[0]
    if mode == "silence":
        return
    if mode == "wrong-id":
        send(answer(query, BAD, qid=qid ^ 1))
    elif mode == "other-port":
        other.sendto(answer(query, BAD), sender)
    elif mode == "qr-clear":
        send(answer(query, BAD, flags=0x0180))
    elif mode == "wrong-question":
        send(answer(query, BAD, question=b"\x05other\x04test\x00\x00\x01\x00\x01"))
    elif mode == "garbage":
        send(query[:2] + os.urandom(40))
        send(query[:2] + b"\x81\x80\x00\x01\x00\x01\x00\x00\x00\x00\x03")
    elif mode == "flood":
        # more than one read event takes, fewer than the socket buffer holds
        for _ in range(80):
            send(answer(query, BAD, qid=qid ^ 1))
    elif mode == "servfail":
        return send(answer(query, None, rcode=2))
    elif mode == "refused":
        return send(answer(query, None, rcode=5))
    elif mode == "truncated" or mode.startswith("tcp-"):
        return send(answer(query, None, flags=0x8380))
    send(answer(query))
    if mode == "second-answer":
        send(answer(query, BAD))


def on_tcp(connection):
    if mode == "tcp-close":
        log("tcp closed")
        connection.close()
        return
    data = b""
    while len(data) < 2 or len(data) < 2 + struct.unpack(">H", data[:2])[0]:
        chunk = connection.recv(4096)
        if not chunk:
            connection.close()
            return
        data += chunk
    query = data[2:]
    log("tcp %d" % struct.unpack(">H", query[:2])[0])
    if mode == "tcp-silent":
        # kept open, never answered
        silent.append(connection)
        return
    reply = answer(query)
    if mode == "tcp-servfail":
        reply = answer(query, None, rcode=2)
    connection.sendall(struct.pack(">H", len(reply)) + reply)
    connection.close()


while True:
    for key, _ in selector.select():
        if key.data == "udp":
            on_udp()
        else:
            on_tcp(key.fileobj.accept()[0])
