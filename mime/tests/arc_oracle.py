# Answers the ARC tests with dkimpy's sealer and validator and with the
# authres module, through the request loop of dkimpy_peer.py. Key records
# come through dkimpy's DNS hook.
#
#   key     private-pem-path public-base64   the key of every selector
#   hop     message selector domain authserv-id
#           -> the message after one hop: validated, an Authentication-Results
#              field with the arc= result added, then sealed ("" when dkimpy
#              refuses, with the reason)
#   verify  message -> chain result ("pass", "fail", "none") and reason
#   results value -> per result: method, result, reason and the properties
#              as "ptype.name=value", one answer field each, "|" between results
import dkim
import authres
from dkimpy_peer import dns, message_and_texts, serve, state


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
    try:
        return authentication_results(value.decode())
    except Exception as error:
        return ['unparsable', str(error)]


def authentication_results(value):
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


serve({'hop': message_and_texts(hop), 'verify': lambda message: list(chain(message)), 'results': results})
