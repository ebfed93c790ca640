#!/usr/bin/python3
"""A TLS peer for the transport tests that misbehaves on demand.

usage: tlspeer.py CERTFILE KEYFILE MODE
Listens on 127.0.0.1, prints its port, takes one connection and completes the
TLS handshake, then acts by MODE:
  drop        reads the protocol header, closes the socket without a TLS close
  closenotify reads the protocol header, sends a TLS close mid-stream
  silent      reads until the client ends, answering nothing (a client that
              rejects the peer must send no bytes, only its TLS close)
  stall       reads the protocol header, then nothing for 3 seconds (the
              client's writes fill the socket), then until the client ends
  broker      plays a broker through connection.open, answers the client's
              connection.close and ends with a TLS close exchange
At the end it prints one line: "bytes N" (the application bytes received),
then "tls-close" when the client closed with a TLS close notification, or
"eof" when it just closed the socket.
"""
import socket
import ssl
import struct
import sys
import time

import pika.frame
import pika.spec


def frame(method):
    return pika.frame.Method(0, method).marshal()


class Reader:
    def __init__(self, conn):
        self.conn = conn
        self.data = b""
        self.total = 0
        self.end = None

    def fill(self):
        try:
            chunk = self.conn.recv(65536)
        except ssl.SSLEOFError:
            chunk, self.end = b"", "eof"
        except (ssl.SSLError, OSError) as error:
            chunk, self.end = b"", "error " + str(error)
        if not chunk and self.end is None:
            self.end = "tls-close"
        self.total += len(chunk)
        self.data += chunk
        return bool(chunk)

    def take(self, size):
        while len(self.data) < size:
            if not self.fill():
                return None
        out, self.data = self.data[:size], self.data[size:]
        return out

    def method(self):
        """the (class, method) ids of the next method frame"""
        while True:
            header = self.take(7)
            if header is None:
                return None
            kind, _, size = struct.unpack(">BHI", header)
            payload = self.take(size + 1)
            if payload is None:
                return None
            if kind == 1:
                return struct.unpack(">HH", payload[:4])

    def drain(self):
        while self.fill():
            pass


def main(certfile, keyfile, mode):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(certfile, keyfile)
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    listener.settimeout(20)
    print(listener.getsockname()[1], flush=True)
    raw, _ = listener.accept()
    raw.settimeout(20)
    try:
        conn = context.wrap_socket(raw, server_side=True)
    except (ssl.SSLError, OSError) as error:
        print("handshake failed", error, flush=True)
        return
    reader = Reader(conn)
    if mode in ("drop", "closenotify"):
        reader.take(8)
        if mode == "closenotify":
            try:
                conn.unwrap()
            except (ssl.SSLError, OSError):
                pass
        conn.close()
    elif mode == "silent":
        reader.drain()
    elif mode == "stall":
        reader.take(8)
        time.sleep(3)
        reader.drain()
    elif mode == "broker":
        reader.take(8)
        conn.sendall(frame(pika.spec.Connection.Start(
            server_properties={"product": "tlspeer"}, mechanisms=b"PLAIN", locales=b"en_US")))
        reader.method()  # start-ok
        conn.sendall(frame(pika.spec.Connection.Tune(channel_max=16, frame_max=131072, heartbeat=0)))
        reader.method()  # tune-ok
        reader.method()  # open
        conn.sendall(frame(pika.spec.Connection.OpenOk()))
        while True:
            ids = reader.method()
            if ids is None or ids == (10, 50):
                break
        if ids == (10, 50):
            conn.sendall(frame(pika.spec.Connection.CloseOk()))
            reader.drain()
            if reader.end == "tls-close":
                try:
                    conn.unwrap()
                except (ssl.SSLError, OSError):
                    pass
    print("bytes", reader.total, flush=True)
    if reader.end:
        print(reader.end, flush=True)


if __name__ == "__main__":
    main(*sys.argv[1:4])
