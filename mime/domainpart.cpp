#include "mime/domainpart.h"

#include "dns/ipaddress.h"
#include "mime/ascii.h"
#include "mime/atom.h"
#include "mime/whitespace.h"

#include <stdexcept>

namespace Orvanta::Mime {

DomainPart::DomainPart(char const* data, size_t size) {
    size_t position = Whitespace(data, size, true).consumed();
    if (position == size) throw std::runtime_error("empty domain part");
    if (data[position] == '[') {
        position += readLiteral(data + position, size - position);
    } else {
        while (position < size) {
            Atom atom(data + position, size - position, false);
            if (atom.empty()) break;
            _text.append(atom.begin(), atom.length());
            position += atom.consumed();
            if (position == size || data[position] != '.') break;
            _text += '.';
            ++position;
        }
        if (_text.empty()) throw std::runtime_error("invalid domain name");
    }
    position += Whitespace(data + position, size - position, true).consumed();
    _consumed = position;
}

size_t DomainPart::readLiteral(char const* data, size_t size) {
    _text = "[";
    for (size_t i = 1; i < size; ++i) {
        char c = data[i];
        if (c == ']') {
            if (_text.size() >= 6 && Ascii::equalNoCase(_text.data(), "[ipv6:", 6)) {
                if (Dns::IpAddress(_text.c_str() + 6, false).version() != 6)
                    throw std::runtime_error("not an ipv6 address, but ipv6: prefix used");
            } else if (Dns::IpAddress(_text.c_str() + 1, false).version() != 4) {
                throw std::runtime_error("not an ipv4 address");
            }
            _text += ']';
            return i + 1;
        }
        if (!Ascii::isPrint(c) || c == '[' || c == '\\') throw std::runtime_error("invalid character in email address");
        if (c != ' ') _text += c;
    }
    throw std::runtime_error("unfinished domain literal");
}

} // namespace Orvanta::Mime
