// A domain name held at once in UTF-8 and in its ASCII (IDNA) form, as
// converted by libidn; an all-ASCII name keeps one string for both.
#pragma once

namespace Orvanta::Dns {

class IpAddress;

class Hostname {
public:
    // `strict` applies the STD3 rules (letters, digits and hyphens only) and
    // refuses a null name; a lenient null name makes an empty Hostname.
    // Failures are IdnException.
    Hostname(const char* name, bool strict);
    // The name the system resolver gives the address (its numeric text when
    // it has none); the unspecified address is refused.
    explicit Hostname(const IpAddress& address);
    Hostname(const Hostname& that);
    Hostname(Hostname&& that) noexcept;
    Hostname& operator=(const Hostname& that);
    Hostname& operator=(Hostname&& that) noexcept;
    virtual ~Hostname();

    // both null for an empty Hostname
    const char* unicode() const { return _unicode; }
    const char* ascii() const { return _ascii; }

    // Whether `other` is this domain or lies below it; an empty Hostname
    // contains nothing and is contained in nothing.
    bool contains(const Hostname& other) const;

private:
    void release() noexcept;

    char* _unicode = nullptr;
    char* _ascii = nullptr;
};

} // namespace Orvanta::Dns
