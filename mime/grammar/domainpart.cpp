#include "mime/grammar/domainpart.h"

#include "dns/host/ipaddress.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/atom.h"
#include "mime/grammar/scanner.h"

#include <stdexcept>

namespace Orvanta::Mime {

DomainPart::DomainPart(const char* data, size_t size) {
    Scanner text(data, size);
    text.skipBlanks(true);
    if (text.atEnd()) throw std::runtime_error("empty domain part");
    // where the domain's own text ends, before the blanks and comments after it
    size_t end = 0;
    if (text.at('[')) {
        text.advance(readLiteral(text.here(), text.left()));
        end = text.position();
    } else {
        // blanks and comments around the dots are the obsolete form
        // (RFC 5322 section 4.4), which readers must accept
        while (!text.atEnd()) {
            Atom atom(text.here(), text.left(), true);
            if (atom.empty()) break;
            _text.append(atom.begin(), atom.length());
            text.advance(atom.consumed());
            end = text.position() - atom.trailing();
            if (!text.take('.')) break;
            end = text.position();
            _text += '.';
        }
        if (_text.empty()) throw std::runtime_error("invalid domain name");
    }
    text.skipBlanks(true);
    _consumed = text.position();
    _trailing = _consumed - end;
}

size_t DomainPart::readLiteral(const char* data, size_t size) {
    _text = "[";
    Scanner text(data, size);
    text.advance(1);
    while (!text.atEnd()) {
        char c = text.next();
        if (c == ']') {
            if (_text.size() >= 6 && Ascii::equalNoCase(_text.data(), "[ipv6:", 6)) {
                if (Dns::IpAddress(_text.c_str() + 6, false).version() != 6)
                    throw std::runtime_error("not an ipv6 address, but ipv6: prefix used");
            } else if (Dns::IpAddress(_text.c_str() + 1, false).version() != 4) {
                throw std::runtime_error("not an ipv4 address");
            }
            _text += ']';
            return text.position();
        }
        if (!Ascii::isPrint(c) || c == '[' || c == '\\')
            throw std::runtime_error("invalid character in email address");
        if (c != ' ') _text += c;
    }
    throw std::runtime_error("unfinished domain literal");
}

} // namespace Orvanta::Mime
