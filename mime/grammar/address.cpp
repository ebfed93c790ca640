#include "mime/grammar/address.h"

#include "filter/encodedmimeword.h"
#include "filter/mimeheaderencoding.h"
#include "filter/result.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/formatting.h"

#include <cstring>
#include <stdexcept>
#include <strings.h>

namespace Orvanta::Mime {

namespace {

Dns::Hostname hostOf(const DomainPart& domain) {
    return Dns::Hostname(domain.text().c_str(), !domain.literal());
}

DomainPart domainOf(const Dns::Hostname& host) {
    const char* unicode = host.unicode() ? host.unicode() : "";
    return DomainPart(unicode, std::strlen(unicode));
}

// the forms differ other than by case
bool distinct(const char* a, const char* b) {
    if (a == b || a == nullptr || b == nullptr) return false;
    return strcasecmp(a, b) != 0;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + '"';
}

} // namespace

Address::Address(const char* data, size_t size, bool strict)
    : _local(data, size), _at(data + _local.consumed(), size - _local.consumed(), '@'),
      _domain(data + _local.consumed() + 1, size - _local.consumed() - 1), _host(hostOf(_domain)) {
    _idn = distinct(_host.unicode(), _host.ascii());
    if (strict && consumed() < size)
        throw std::runtime_error("trailing bytes after email address: " +
                                 std::string(data + consumed(), size - consumed()));
    initialize();
}

Address::Address(LocalPart local, DomainPart domain)
    : _local(std::move(local)), _domain(std::move(domain)), _host(hostOf(_domain)) {
    _idn = distinct(_host.unicode(), _host.ascii());
    initialize();
}

Address::Address(LocalPart local, Dns::Hostname host)
    : _local(std::move(local)), _domain(domainOf(host)), _host(std::move(host)) {
    _idn = distinct(_host.unicode(), _host.ascii());
    initialize();
}

void Address::initialize() {
    const std::string& text = _local.text();
    Formatting format(text.data(), text.size());
    if (!format.ascii()) _idn = true;
    // bare, a local part that spells an encoded word would be read back
    // decoded: another address
    std::string local = format.dottedatom() && text.find("=?") == std::string::npos ? text : quoted(text);
    _utf8 = local + "@" + (_host.unicode() ? _host.unicode() : "");
    if (!_idn) return;
    if (!format.ascii()) {
        // An encoded word has no place in an addr-spec (RFC 2047 section 5):
        // a local part of 8-bit bytes has no 7-bit form and is written as it
        // stands. One that came as an encoded word goes back as one.
        if (_local.eightbit()) return;
        // room for every byte escaped under the longest charset label: one
        // word, however long
        size_t room = std::strlen("=?unknown-8bit?q?") + 2 + 3 * text.size();
        Filter::EncodedMimeWord word(text.data(), text.size(), room,
                                     Filter::MimeHeaderEncoding(Filter::MimeHeaderEncoding::phrase));
        // never a byte dropped: what the word cannot hold stays as it stands
        if (word.consumed() < text.size()) return;
        local = word.word();
    }
    _ascii = local + "@" + (_host.ascii() ? _host.ascii() : "");
}

size_t Address::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    const std::string& form = (_idn && caps.eightbit()) ? _utf8 : (_ascii.empty() ? _utf8 : _ascii);
    return out->append(form.data(), form.size(), persistent);
}

bool Address::encodable(const Capabilities& caps) const {
    return caps.eightbit() || !_local.eightbit();
}

bool Address::operator==(const Address& other) const {
    if (strcasecmp(_local.text().c_str(), other._local.text().c_str()) != 0) return false;
    const char* mine = _host.ascii() ? _host.ascii() : "";
    const char* theirs = other._host.ascii() ? other._host.ascii() : "";
    return strcasecmp(mine, theirs) == 0;
}

} // namespace Orvanta::Mime
