# Answers the ARC tests with dkimpy's sealer and validator and with the
# authres module, in the protocol of oracle.py: each input line a request
# (kind and arguments, tab-separated, hex-encoded), each output line its
# answer in the same form. Key records come through dkimpy's DNS hook.
#
#   key     private-pem-path public-base64   the key of every selector
#   hop     message selector domain authserv-id
#           -> the message after one hop: validated, an Authentication-Results
#              field with the arc= result added, then sealed ("" when dkimpy
#              refuses, with the reason)
#   verify  message -> chain result ("pass", "fail", "none") and reason
#   results value -> per result: method, result, reason and the properties
#              as "ptype.name=value", one answer field each, "|" between results
import sys
import logging
import dkim
import authres

logging.disable(logging.CRITICAL)
state = {'private': None, 'public': b''}


def dns(name, timeout=5):
    return b'v=DKIM1; k=rsa; p=' + state['public']


def chain(message):
    try:
        cv, _, reason = dkim.arc_verify(message, dnsfunc=dns)
    except Exception as error:
        return 'fail', str(error)
    if cv is None and b'\nARC-Seal:' in b'\n' + message:
        # dkimpy gives no result for a chain a sealer declared failed
        return 'fail', str(reason)
    return (cv or b'none').decode(), str(reason)


def hop(message, selector, domain, srvid):
    cv, _ = chain(message)
    message = ('Authentication-Results: %s; arc=%s\r\n' % (srvid, cv)).encode() + message
    try:
        lines = dkim.arc_sign(message, selector.encode(), domain.encode(), state['private'], srvid.encode())
    except Exception as error:
        return ['', str(error)]
    if not lines:
        return ['', 'nothing sealed']
    return [(b''.join(lines) + message).decode('utf-8', 'surrogateescape')]


def results(value):
    parsed = authres.AuthenticationResultsHeader.parse('Authentication-Results: ' + value)
    answer = [parsed.authserv_id]
    for result in parsed.results:
        answer.append('|')
        answer.append(result.method)
        answer.append(result.result)
        answer.append(result.reason or '')
        for prop in result.properties:
            answer.append('%s.%s=%s' % (prop.type, prop.name, prop.value))
    return answer


for line in sys.stdin:
    fields = [bytes.fromhex(f) for f in line.rstrip('\n').split('\t')]
    kind = fields[0].decode()
    if kind == 'key':
        with open(fields[1].decode(), 'rb') as pem:
            state['private'] = pem.read()
        state['public'] = fields[2]
        answer = ['']
    elif kind == 'hop':
        answer = hop(fields[1], *[f.decode() for f in fields[2:]])
    elif kind == 'verify':
        answer = list(chain(fields[1]))
    elif kind == 'results':
        try:
            answer = results(fields[1].decode())
        except Exception as error:
            answer = ['unparsable', str(error)]
    else:
        answer = ['unknown request']
    print('\t'.join(a.encode('utf-8', 'surrogateescape').hex() for a in answer))
    sys.stdout.flush()
