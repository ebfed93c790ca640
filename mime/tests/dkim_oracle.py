# Answers the DKIM tests with dkimpy and the authres module, through the
# request loop of dkimpy_peer.py.
#
#   key    private-pem-path public-base64   the key for the requests after it
#   sign   message selector domain canonicalization algorithm headers length
#          -> the DKIM-Signature field dkimpy writes ("" when it refuses)
#   verify message -> "pass" or "fail"
#   results-- -> Authentication-Results values written by authres
import dkim
import authres
from dkimpy_peer import dns, message_and_texts, serve, state


def sign(message, selector, domain, canonicalization, algorithm, headers, length):
    header, body = canonicalization.split('/')
    include = [h.encode() for h in headers.split(':')] if headers else None
    try:
        field = dkim.sign(message, selector.encode(), domain.encode(), state['private'],
                          canonicalize=(header.encode(), body.encode()),
                          signature_algorithm=algorithm.encode(), include_headers=include,
                          length=length == '1')
    except Exception as error:
        return ['', str(error)]
    return [field.decode()]


def verify(message):
    try:
        return ['pass' if dkim.verify(message, dnsfunc=dns) else 'fail']
    except Exception as error:
        return ['fail', str(error)]


def results():
    r = authres
    values = [
        r.AuthenticationResultsHeader(authserv_id='mx.example.org', results=[
            r.DKIMAuthenticationResult(result='pass', header_d='example.com', header_i='@example.com',
                                       header_a='rsa-sha256', properties=[
                                           r.AuthenticationResultProperty('header', 'b', 'ab/c+d=')]),
            r.SPFAuthenticationResult(result='pass', smtp_mailfrom='sender@example.net'),
            r.AuthenticationResult(method='dmarc', result='pass', properties=[
                r.AuthenticationResultProperty('header', 'from', 'example.com')])]),
        r.AuthenticationResultsHeader(authserv_id='example.com', results=[
            r.DKIMAuthenticationResult(result='fail', reason='bad signature', header_i='user@sub.example.com',
                                       result_comment='2048-bit key')]),
        r.AuthenticationResultsHeader(authserv_id='example.org', version=1, results=[
            r.SPFAuthenticationResult(result='softfail', smtp_helo='mail.example.net')]),
        r.AuthenticationResultsHeader(authserv_id='example.org'),
    ]
    return [str(v).split(': ', 1)[1] for v in values]


serve({'sign': message_and_texts(sign), 'verify': verify, 'results': results})
