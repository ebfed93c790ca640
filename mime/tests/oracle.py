# Answers the MIME tests with Python's email package. Each input line is a
# request: a kind and its arguments, tab-separated and hex-encoded (UTF-8);
# each output line is the answer, a list of strings in the same form.
import sys
import email
import email.policy
import email.utils
from email.header import decode_header, make_header
from email.headerregistry import HeaderRegistry

registry = HeaderRegistry()


def address_list(text):
    """'1' and for every mailbox its group, display name, user and domain;
    '0' when Python refuses the list or reports a defect."""
    try:
        header = registry('To', text)
    except Exception:
        return ['0']
    if header.defects:
        return ['0']
    out = ['1']
    for group in header.groups:
        for a in group.addresses:
            out += [group.display_name or '', a.display_name, a.username, a.domain]
    return out


def pairs(text):
    """the address of every pair email.utils.getaddresses finds"""
    return [address for _, address in email.utils.getaddresses([text])]


def names(text):
    """name and address of every pair email.utils.getaddresses finds, with
    the encoded words of the name decoded: a comment serves it as a name"""
    out = []
    for name, address in email.utils.getaddresses([text]):
        out += [str(make_header(decode_header(name))), address]
    return out


def idna(domain):
    try:
        return ['1', domain.encode('idna').decode('ascii')]
    except Exception:
        return ['0']


def param(text, name, policy='compat32'):
    message = email.message_from_string('Content-Type: text/plain' + text + '\n\n',
                                        policy=getattr(email.policy, policy))
    value = message.get_param(name)
    if value is None:
        return ['0']
    try:
        return ['1', email.utils.collapse_rfc2231_value(value)]
    except Exception:
        return ['0']


def rfc2231(text):
    charset, language, value = email.utils.decode_rfc2231(text)
    return [charset or '', language or '', value]


kinds = {'list': address_list, 'pairs': pairs, 'names': names, 'idna': idna, 'param': param, 'rfc2231': rfc2231}
for line in sys.stdin:
    fields = [bytes.fromhex(f).decode('utf-8', 'surrogateescape') for f in line.rstrip('\n').split('\t')]
    answer = kinds[fields[0]](*fields[1:])
    print('\t'.join(s.encode('utf-8', 'surrogateescape').hex() for s in answer))
    sys.stdout.flush()
