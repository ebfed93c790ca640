#include "dns/hostname.h"

#include "dns/exception.h"
#include "dns/ipaddress.h"
#include "dns/libidn.h"

#include <arpa/nameser.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <netdb.h>
#include <new>
#include <strings.h>
#include <sys/socket.h>

namespace Orvanta::Dns {

namespace {

struct Free {
    void operator()(char* text) const { std::free(text); }
};
using Owned = std::unique_ptr<char, Free>;

// libidn's codes for an input of the wrong length and for a library that
// could not be opened
constexpr int invalidLength = 5;
constexpr int dlopenFailed = 202;

// the longest host name getnameinfo writes, with its terminator
constexpr size_t nameBuffer = 1025;

bool isAscii(const char* text) {
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    return true;
}

char* duplicate(const char* text) {
    char* copy = strdup(text);
    if (!copy) throw std::bad_alloc();
    return copy;
}

bool unspecified(const DNS::Ip& address) {
    size_t count = address.version() == 4 ? 4 : 16;
    for (size_t i = 0; i < count; ++i)
        if (address.data()[i] != 0) return false;
    return true;
}

// RFC 1035: at most 253 characters before a final dot, labels of at most 63.
constexpr size_t maxName = 253;
constexpr size_t maxLabel = 63;

// The length of the dot that IDNA accepts at text, in bytes: "." and the
// ideographic, fullwidth and halfwidth full stops; 0 for anything else.
size_t dotAt(const unsigned char* text) {
    if (text[0] == '.') return 1;
    if (text[0] == 0xE3 && text[1] == 0x80 && text[2] == 0x82) return 3;
    if (text[0] == 0xEF && text[1] == 0xBC && text[2] == 0x8E) return 3;
    if (text[0] == 0xEF && text[1] == 0xBD && text[2] == 0xA1) return 3;
    return 0;
}

// Whether the name may be within the limits. Counted in characters, not
// bytes: a Unicode label never becomes shorter in its ASCII form than its
// number of characters, so a name refused here could never be valid, and the
// conversion, whose cost grows with the square of the length, only ever
// sees short input.
bool withinLimits(const char* name) {
    size_t total = 0, label = 0;
    for (auto* p = reinterpret_cast<const unsigned char*>(name); *p;) {
        if (size_t dot = dotAt(p)) {
            p += dot;
            // a final dot does not count
            if (*p) ++total;
            label = 0;
        } else {
            // a UTF-8 character begins with any byte but a continuation byte
            if ((*p & 0xC0) != 0x80) {
                ++total;
                ++label;
            }
            ++p;
        }
        if (total > maxName || label > maxLabel) return false;
    }
    return true;
}

} // namespace

Hostname::Hostname(const char* name, bool strict) {
    int flags = strict ? LibIDN::allowUnassigned | LibIDN::useStd3AsciiRules : LibIDN::allowUnassigned;
    if (!name) {
        if (strict) throw IdnException(invalidLength);
        return;
    }
    if (!withinLimits(name)) throw IdnException(invalidLength);
    // Without the library even the message of this exception cannot be
    // made: the caller gets the failed binding of idna_strerror instead.
    if (!LibIDN::valid()) throw IdnException(dlopenFailed);

    char* converted = nullptr;
    int result = LibIDN::idna_to_unicode_8z8z(name, &converted, flags);
    if (result != 0) throw IdnException(result);
    Owned unicode(converted);

    if (isAscii(unicode.get())) {
        if (strict) {
            // The STD3 rules are checked on the caller's text, not on the
            // Unicode form; the converted text itself is not kept.
            char* scratch = nullptr;
            result = LibIDN::idna_to_ascii_8z(name, &scratch, flags);
            if (result != 0) throw IdnException(result);
            std::free(scratch);
        }
        _unicode = _ascii = unicode.release();
        return;
    }

    char* ascii = nullptr;
    result = LibIDN::idna_to_ascii_8z(name, &ascii, flags);
    if (result != 0) throw IdnException(result);
    _ascii = ascii;
    _unicode = unicode.release();
}

Hostname::Hostname(const IpAddress& address) {
    Owned buffer(static_cast<char*>(std::malloc(nameBuffer)));
    if (!buffer) throw std::bad_alloc();
    if (unspecified(address)) throw Exception("Invalid IP address", Exception::otherFailure);

    sockaddr_in v4{};
    sockaddr_in6 v6{};
    const sockaddr* socketAddress;
    socklen_t length;
    if (address.version() == 4) {
        v4.sin_family = AF_INET;
        v4.sin_addr = address;
        socketAddress = reinterpret_cast<const sockaddr*>(&v4);
        length = sizeof v4;
    } else {
        v6.sin6_family = AF_INET6;
        v6.sin6_addr = address;
        socketAddress = reinterpret_cast<const sockaddr*>(&v6);
        length = sizeof v6;
    }
    int result = getnameinfo(socketAddress, length, buffer.get(), nameBuffer, nullptr, 0, 0);
    if (result != 0) throw GaiException(result, nullptr);

    if (LibIDN::valid()) {
        char* unicode = nullptr;
        result = LibIDN::idna_to_unicode_8z8z(buffer.get(), &unicode, LibIDN::allowUnassigned);
        if (result != 0) throw IdnException(result);
        _unicode = unicode;
        _ascii = buffer.release();
    } else {
        _unicode = _ascii = buffer.release();
    }
}

Hostname::Hostname(const Hostname& that) {
    // an empty name copies as empty: there is nothing to duplicate
    if (!that._unicode || !that._ascii) return;
    Owned unicode(duplicate(that._unicode));
    if (that._ascii != that._unicode && strcasecmp(that._ascii, that._unicode) != 0)
        _ascii = duplicate(that._ascii);
    else
        _ascii = unicode.get();
    _unicode = unicode.release();
}

Hostname::Hostname(Hostname&& that) noexcept : _unicode(that._unicode), _ascii(that._ascii) {
    that._unicode = that._ascii = nullptr;
}

Hostname& Hostname::operator=(const Hostname& that) {
    if (this == &that) return *this;
    char* unicode = nullptr;
    char* ascii = nullptr;
    if (that._unicode && that._ascii) {
        Owned ownedAscii(duplicate(that._ascii));
        if (that._unicode != that._ascii && strcasecmp(that._unicode, that._ascii) != 0)
            unicode = duplicate(that._unicode);
        else
            unicode = ownedAscii.get();
        ascii = ownedAscii.release();
    }
    release();
    _unicode = unicode;
    _ascii = ascii;
    return *this;
}

Hostname& Hostname::operator=(Hostname&& that) noexcept {
    if (this == &that) return *this;
    release();
    _unicode = that._unicode;
    _ascii = that._ascii;
    that._unicode = that._ascii = nullptr;
    return *this;
}

Hostname::~Hostname() { release(); }

void Hostname::release() noexcept {
    if (_unicode != _ascii) std::free(_unicode);
    std::free(_ascii);
    _unicode = _ascii = nullptr;
}

bool Hostname::contains(const Hostname& other) const {
    if (!_ascii || !other._ascii) return false;
    // deprecated in the resolver library's header, but it is the test wanted:
    // same domain or below it, ignoring case and a final dot
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return ns_samedomain(other._ascii, _ascii) != 0;
#pragma GCC diagnostic pop
}

} // namespace Orvanta::Dns
