# What the dkimpy oracles (dkim_oracle.py, arc_oracle.py) share: the request
# loop in the protocol of oracle.py (each input line a request, kind and
# arguments tab-separated and hex-encoded; each output line its answer in the
# same form), the "key" request every table knows, and the DNS hook through
# which dkimpy finds that key's record.
import sys
import logging

logging.disable(logging.CRITICAL)
state = {'private': None, 'public': b''}


def dns(name, timeout=5):
    return b'v=DKIM1; k=rsa; p=' + state['public']


def key(path, public):
    with open(path.decode(), 'rb') as pem:
        state['private'] = pem.read()
    state['public'] = public
    return ['']


def message_and_texts(handler):
    """the handler of a request whose first argument is a message (bytes)
    and whose others are texts"""
    return lambda message, *rest: handler(message, *[f.decode() for f in rest])


def serve(kinds):
    """answers every request of standard input with kinds[kind](arguments as
    bytes), a list of strings; "key" sets the key of the requests after it"""
    kinds = dict(kinds, key=key)
    for line in sys.stdin:
        fields = [bytes.fromhex(f) for f in line.rstrip('\n').split('\t')]
        handler = kinds.get(fields[0].decode())
        answer = handler(*fields[1:]) if handler else ['unknown request']
        print('\t'.join(a.encode('utf-8', 'surrogateescape').hex() for a in answer))
        sys.stdout.flush()
