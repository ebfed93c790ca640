#include "mime/authenticationproperty.h"

#include "filter/result.h"
#include "mime/authenticationdomainpart.h"
#include "mime/authenticationtokens.h"
#include "mime/formatting.h"
#include "mime/localpart.h"
#include "mime/require.h"
#include "mime/whitespace.h"

#include <stdexcept>

namespace Orvanta::Mime {

namespace {

size_t cfws(const char* data, size_t size) {
    return Whitespace(data, size, true).consumed();
}

bool bare(const std::string& text) {
    return Formatting(text.data(), text.size()).param();
}

} // namespace

AuthenticationProperty::AuthenticationProperty(const char* data, size_t size) {
    size_t n = cfws(data, size);
    n += AuthenticationKeyword(_ptype, data + n, size - n).consumed();
    n += cfws(data + n, size - n);
    Require(data + n, size - n, '.');
    ++n;
    n += cfws(data + n, size - n);
    n += AuthenticationKeyword(_name, data + n, size - n).consumed();
    n += cfws(data + n, size - n);
    Require(data + n, size - n, '=');
    ++n;
    n += cfws(data + n, size - n);
    parse(data + n, size - n, false);
    _consumed += n;
}

AuthenticationProperty::AuthenticationProperty(std::string ptype, std::string name, const std::string& value)
    : _ptype(std::move(ptype)), _name(std::move(name)) {
    parse(value.data(), value.size(), true);
}

bool AuthenticationProperty::parseMailbox(const char* data, size_t size, bool entire) {
    try {
        LocalPart local(data, size);
        size_t n = local.consumed();
        if (n >= size || data[n] != '@') return false;
        AuthenticationDomainPart domain(data + n + 1, size - n - 1);
        n += 1 + domain.consumed();
        if (entire && n != size) return false;
        _kind = mailbox;
        _local = local.text();
        _domain = domain.text();
        _text = bare(_local) ? _local : quoted(_local);
        _text += "@" + _domain;
        _consumed = n;
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

bool AuthenticationProperty::parseDomain(const char* data, size_t size, bool entire) {
    size_t n = size > 0 && data[0] == '@' ? 1 : 0;
    try {
        AuthenticationDomainPart domain(data + n, size - n);
        if (entire && n + domain.consumed() != size) return false;
        _kind = n == 1 ? atdomain : AuthenticationProperty::domain;
        _domain = domain.text();
        _text = (n == 1 ? "@" : "") + _domain;
        _consumed = n + domain.consumed();
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
        _consumed = AuthenticationValue(_plain, data, size, true).consumed();
        if (_consumed < size && data[_consumed] != ' ' && data[_consumed] != ';' && data[_consumed] != '\t' &&
            data[_consumed] != '\r' && data[_consumed] != '\n' && data[_consumed] != '(')
            throw std::runtime_error("not parsable as value");
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
    if (_kind != plain || (bare(_plain) && !_plain.empty()))
        return total + out->append(_text.data(), _text.size(), persistent);
    return total + writeQuoted(_plain, out);
}

} // namespace Orvanta::Mime
