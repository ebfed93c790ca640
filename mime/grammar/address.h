// An RFC 5322 address, local part "@" domain, with UTF-8 and encoded words
// in the local part and IDNA domains. Keeps a UTF-8 rendering and, when that
// is not plain ASCII and has a 7-bit form, an ASCII one; writes the one the
// capabilities allow.
#pragma once

#include "dns/host/hostname.h"
#include "mime/grammar/domainpart.h"
#include "mime/grammar/headerfield.h"
#include "mime/grammar/localpart.h"
#include "mime/grammar/require.h"

#include <string>

namespace Orvanta::Mime {

class Address : public HeaderField {
public:
    // strict: the address must use the whole text
    Address(const char* data, size_t size, bool strict);
    Address(LocalPart local, DomainPart domain);
    Address(LocalPart local, Dns::Hostname host);

    using Encodable::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    bool encodable(const Capabilities& caps) const override;

    // local parts compared ignoring ASCII case, and the ASCII domains
    bool operator==(const Address& other) const;
    bool operator!=(const Address& other) const { return !(*this == other); }

    const LocalPart& local() const { return _local; }
    const DomainPart& domain() const { return _domain; }
    const Dns::Hostname& host() const { return _host; }
    // the two renderings differ
    bool idn() const { return _idn; }
    const std::string& utf8() const { return _utf8; }
    // empty when it would equal the UTF-8 rendering, or when there is none
    // (a local part of 8-bit bytes is written as it stands)
    const std::string& ascii() const { return _ascii; }
    size_t consumed() const { return _local.consumed() + 1 + _domain.consumed(); }

private:
    void initialize();

    LocalPart _local;
    Require _at;
    DomainPart _domain;
    Dns::Hostname _host;
    bool _idn = false;
    std::string _utf8;
    std::string _ascii;
};

} // namespace Orvanta::Mime
