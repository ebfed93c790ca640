#!/usr/bin/python3
"""Talks to the tests' private broker with pika, an independent AMQP client.

usage: amqp_tool.py URL COMMAND ARGS...
  declare QUEUE [ARGUMENTS-JSON]     declare a queue (optionally with x- arguments)
  exchange NAME [TYPE]               declare an exchange (default direct)
  bind QUEUE EXCHANGE KEY            bind a queue
  publish EXCHANGE KEY BODY [NAME=HEX ...]
                                     publish with confirms; prints "ack"; each
                                     NAME=HEX is a header holding those bytes
                                     (Python bytes, sent as a byte array)
  get QUEUE                          take one message; prints it as JSON, or
                                     "empty" with status 3 when there is none
  delete QUEUE                       delete a queue
"""
import base64
import json
import sys

import pika


def describe(method, props, body):
    def plain(value):
        if isinstance(value, bytes):
            return value.decode("utf-8", "surrogateescape")
        if isinstance(value, dict):
            return {k: plain(v) for k, v in value.items()}
        if isinstance(value, list):
            return [plain(v) for v in value]
        return value

    return {
        "exchange": method.exchange,
        "routing_key": method.routing_key,
        "body_base64": base64.b64encode(body).decode(),
        "content_type": props.content_type,
        "content_encoding": props.content_encoding,
        "delivery_mode": props.delivery_mode,
        "headers": plain(props.headers or {}),
        "message_id": props.message_id,
        "priority": props.priority,
        "correlation_id": props.correlation_id,
        "reply_to": props.reply_to,
        "expiration": props.expiration,
        "timestamp": props.timestamp,
        "type": props.type,
        "user_id": props.user_id,
        "app_id": props.app_id,
    }


def main(argv):
    url, command, args = argv[1], argv[2], argv[3:]
    connection = pika.BlockingConnection(pika.URLParameters(url))
    channel = connection.channel()
    status = 0
    if command == "declare":
        arguments = json.loads(args[1]) if len(args) > 1 else None
        channel.queue_declare(args[0], arguments=arguments)
    elif command == "exchange":
        channel.exchange_declare(args[0], exchange_type=args[1] if len(args) > 1 else "direct")
    elif command == "bind":
        channel.queue_bind(args[0], args[1], routing_key=args[2])
    elif command == "publish":
        headers = {name: bytes.fromhex(value) for name, value in (arg.split("=", 1) for arg in args[3:])}
        channel.confirm_delivery()
        channel.basic_publish(args[0], args[1], args[2].encode(),
                              pika.BasicProperties(headers=headers) if headers else None)
        print("ack")
    elif command == "get":
        method, props, body = channel.basic_get(args[0], auto_ack=True)
        if method is None:
            print("empty")
            status = 3
        else:
            print(json.dumps(describe(method, props, body)))
    elif command == "delete":
        channel.queue_delete(args[0])
    else:
        print(__doc__, file=sys.stderr)
        status = 2
    connection.close()
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
