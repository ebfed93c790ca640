// A domain name held at once in UTF-8 and in its ASCII (IDNA) form, as
// converted by libidn; an all-ASCII name keeps one string for both.
#pragma once

#include <string>

namespace Orvanta::Dns {

class IpAddress;

class Hostname {
public:
    // `strict` applies the STD3 rules (letters, digits and hyphens only) and
    // refuses a null name; a lenient null name makes an empty Hostname.
    // Failures are IdnException. The Unicode form is libidn's only when it
    // converts back to the ASCII form; otherwise it is the name as written.
    Hostname(const char* name, bool strict);
    // The name the system resolver gives the address (its numeric text when
    // it has none), with the same Unicode form; the unspecified address is
    // refused.
    explicit Hostname(const IpAddress& address);

    // both null for an empty Hostname, and for one moved from
    const char* unicode() const { return _unicode.empty() ? nullptr : _unicode.data(); }
    const char* ascii() const { return _ascii.empty() ? unicode() : _ascii.data(); }

    // Whether `other` is this domain or lies below it; an empty Hostname
    // contains nothing and is contained in nothing.
    bool contains(const Hostname& other) const;

private:
    // Each holds its text with the terminator, so that an empty string (as
    // a moved-from one is) means no name, apart from a name that is "".
    // `_ascii` stays empty when the ASCII form is the Unicode one.
    std::string _unicode;
    std::string _ascii;
};

} // namespace Orvanta::Dns
