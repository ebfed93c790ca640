#include "mime/authentication/authenticationproperty.h"

#include "filter/result.h"
#include "mime/authentication/authenticationdomainpart.h"
#include "mime/authentication/authenticationtokens.h"
#include "mime/grammar/formatting.h"
#include "mime/grammar/localpart.h"
#include "mime/grammar/require.h"
#include "mime/grammar/scanner.h"

#include <stdexcept>

namespace Orvanta::Mime {

namespace {

// a local part that reads back whole and the same without quotes: ',' and
// the other specials would end it early, and a bare atom that looks like an
// encoded word is decoded
bool bare(const std::string& text) {
    return !text.empty() && Formatting(text.data(), text.size()).dottedatom() &&
           text.find("=?") == std::string::npos;
}

// A value the reader takes whole as text, not in part as a domain: a bare
// "a.b_c" would read as the domain "a.b" and a stray "_c".
bool plainWhole(const std::string& text) {
    try {
        return AuthenticationDomainPart(text.data(), text.size()).text().size() == text.size();
    } catch (const std::runtime_error&) {
        return true;
    }
}

} // namespace

AuthenticationProperty::AuthenticationProperty(const char* data, size_t size) {
    Scanner scanner(data, size);
    scanner.skipBlanks(true);
    scanner.advance(AuthenticationKeyword(_ptype, scanner.here(), scanner.left()).consumed());
    scanner.skipBlanks(true);
    Require(scanner.here(), scanner.left(), '.');
    scanner.advance(1);
    scanner.skipBlanks(true);
    scanner.advance(AuthenticationKeyword(_name, scanner.here(), scanner.left()).consumed());
    scanner.skipBlanks(true);
    Require(scanner.here(), scanner.left(), '=');
    scanner.advance(1);
    scanner.skipBlanks(true);
    parse(scanner.here(), scanner.left(), false);
    _consumed += scanner.position();
}

AuthenticationProperty::AuthenticationProperty(std::string ptype, std::string name, const std::string& value)
    : _ptype(wholeKeyword(std::move(ptype))), _name(wholeKeyword(std::move(name))) {
    parse(value.data(), value.size(), true);
}

bool AuthenticationProperty::parseMailbox(const char* data, size_t size, bool entire) {
    try {
        LocalPart local(data, size);
        Scanner scanner(data, size);
        scanner.advance(local.consumed());
        if (!scanner.take('@')) return false;
        AuthenticationDomainPart domain(scanner.here(), scanner.left());
        scanner.advance(domain.consumed());
        if (entire && !scanner.atEnd()) return false;
        _kind = mailbox;
        _local = local.text();
        _domain = domain.text();
        _text = bare(_local) ? _local : quoted(_local);
        _text += "@" + _domain;
        _consumed = scanner.position();
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

bool AuthenticationProperty::parseDomain(const char* data, size_t size, bool entire) {
    Scanner scanner(data, size);
    bool at = scanner.take('@');
    try {
        AuthenticationDomainPart domain(scanner.here(), scanner.left());
        scanner.advance(domain.consumed());
        if (entire && !scanner.atEnd()) return false;
        _kind = at ? atdomain : AuthenticationProperty::domain;
        _domain = domain.text();
        _text = (at ? "@" : "") + _domain;
        _consumed = scanner.position();
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

void AuthenticationProperty::parse(const char* data, size_t size, bool entire) {
    _text.clear();
    if (parseMailbox(data, size, entire) || parseDomain(data, size, entire)) return;
    _text.clear();
    _kind = plain;
    if (entire) {
        _plain.assign(data, size);
        _consumed = size;
    } else {
        Scanner scanner(data, size);
        scanner.advance(AuthenticationValue(_plain, data, size, true).consumed());
        // the value ends at a blank, a comment or the end of the result
        auto ends = [](char c) {
            return c == ' ' || c == ';' || c == '\t' || c == '\r' || c == '\n' || c == '(';
        };
        _consumed = scanner.position();
        if (!scanner.atEnd() && !scanner.atOne(ends)) throw std::runtime_error("not parsable as value");
    }
    _text = _plain;
}

size_t AuthenticationProperty::encode(const Capabilities&, Filter::Result* out, bool persistent) const {
    if (_kind == nothing || (_kind != plain && _text.empty())) return 0;
    size_t total = out->append(_ptype.data(), _ptype.size(), persistent);
    total += out->append(".", 1, true);
    total += out->append(_name.data(), _name.size(), persistent);
    total += out->append("=", 1, true);
    // an empty value is written as "" so that the property stays
    if (_kind != plain) return total + out->append(_text.data(), _text.size(), persistent);
    return total + (plainWhole(_plain) ? writeValue(_plain, out) : writeQuoted(_plain, out));
}

} // namespace Orvanta::Mime
