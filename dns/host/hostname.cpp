#include "dns/host/hostname.h"

#include "dns/host/exception.h"
#include "dns/host/ipaddress.h"
#include "dns/host/libidn.h"

#include <arpa/nameser.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <netdb.h>
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

// the text with its terminator, as Hostname keeps it
std::string terminated(const char* text) {
    return std::string(text, std::strlen(text) + 1);
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

// The most bytes a name, and one of its labels, may take as written. Only
// the ASCII form decides the limits above, but libidn's conversion costs the
// square of a label's length in places (it sorts a run of combining marks
// pair by pair, and moves the rest of a label for each character it maps to
// nothing), so a longer name or label is refused before it is converted, and
// the cost stays linear in the name's length. No name whose ASCII form fits
// comes near either: written decomposed, with a character that IDNA maps to
// nothing after every character, such a label takes about 1 KiB at most and
// such a name about 4 KiB, in Hangul jamo.
constexpr size_t maxWritten = 8192;
constexpr size_t maxWrittenLabel = 2048;

// The length of the dot that IDNA accepts at text, in bytes: "." and the
// ideographic, fullwidth and halfwidth full stops; 0 for anything else.
size_t dotAt(const unsigned char* text) {
    if (text[0] == '.') return 1;
    if (text[0] == 0xE3 && text[1] == 0x80 && text[2] == 0x82) return 3;
    if (text[0] == 0xEF && text[1] == 0xBC && text[2] == 0x8E) return 3;
    if (text[0] == 0xEF && text[1] == 0xBD && text[2] == 0xA1) return 3;
    return 0;
}

// Whether the name as written is short enough to be converted.
bool convertible(const char* name) {
    size_t total = 0, label = 0;
    for (auto* p = reinterpret_cast<const unsigned char*>(name); *p;) {
        if (size_t dot = dotAt(p)) {
            p += dot;
            total += dot;
            label = 0;
        } else {
            ++p;
            ++total;
            ++label;
        }
        if (total > maxWritten || label > maxWrittenLabel) return false;
    }
    return true;
}

// Whether the ASCII form, the one that goes on the wire, is within the limits.
bool withinLimits(const char* ascii) {
    size_t total = 0, label = 0;
    for (const char* p = ascii; *p; ++p) {
        if (*p == '.') {
            // a final dot does not count
            if (p[1]) ++total;
            label = 0;
        } else {
            ++total;
            ++label;
        }
        if (total > maxName || label > maxLabel) return false;
    }
    return true;
}

// Whether `unicode`, the form libidn's ToUnicode gave, names the host that
// `ascii` does. ToUnicode works label by label and allows unassigned code
// points: a label may decode to a label separator (U+3002), which splits it
// in two for every reader, or to a code point that no reader converts back
// the same way. So the whole name goes back through ToASCII, unassigned code
// points refused, and must give `ascii` again, case aside.
bool convertsBack(const char* unicode, const char* ascii, int flags) {
    char* converted = nullptr;
    if (LibIDN::idna_to_ascii_8z(unicode, &converted, flags & ~LibIDN::allowUnassigned) != 0) return false;
    Owned back(converted);
    return strcasecmp(back.get(), ascii) == 0;
}

} // namespace

Hostname::Hostname(const char* name, bool strict) {
    int flags = strict ? LibIDN::allowUnassigned | LibIDN::useStd3AsciiRules : LibIDN::allowUnassigned;
    if (!name) {
        if (strict) throw IdnException(invalidLength);
        return;
    }
    if (!convertible(name)) throw IdnException(invalidLength);
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
        _unicode = terminated(unicode.get());
    } else {
        char* converted_ascii = nullptr;
        result = LibIDN::idna_to_ascii_8z(name, &converted_ascii, flags);
        if (result != 0) throw IdnException(result);
        Owned ascii(converted_ascii);
        if (!convertsBack(unicode.get(), ascii.get(), flags)) {
            // the name as written stands for itself
            _unicode = terminated(name);
            if (std::strcmp(name, ascii.get()) != 0) _ascii = terminated(ascii.get());
        } else {
            _unicode = terminated(unicode.get());
            _ascii = terminated(ascii.get());
        }
    }
    // Only the ASCII form decides the limits, whatever road led to it:
    // libidn checks each label but not the whole name, and a lenient ASCII
    // name not at all; an A-label is longer than the letters it stands for,
    // while letters composed and characters mapped to nothing make the
    // ASCII form shorter than the name as written.
    if (!withinLimits(ascii())) throw IdnException(invalidLength);
}

Hostname::Hostname(const IpAddress& address) {
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
    char buffer[nameBuffer];
    int result = getnameinfo(socketAddress, length, buffer, nameBuffer, nullptr, 0, 0);
    if (result != 0) throw GaiException(result, nullptr);

    if (LibIDN::valid()) {
        char* converted = nullptr;
        result = LibIDN::idna_to_unicode_8z8z(buffer, &converted, LibIDN::allowUnassigned);
        if (result != 0) throw IdnException(result);
        Owned unicode(converted);
        if (isAscii(unicode.get()) || convertsBack(unicode.get(), buffer, LibIDN::allowUnassigned)) {
            _unicode = terminated(unicode.get());
            // one string serves both forms when they are the same text
            if (std::strcmp(unicode.get(), buffer) != 0) _ascii = terminated(buffer);
        } else {
            _unicode = terminated(buffer);
        }
    } else {
        _unicode = terminated(buffer);
    }
}

bool Hostname::contains(const Hostname& other) const {
    if (!ascii() || !other.ascii()) return false;
        // deprecated in the resolver library's header, but it is the test wanted:
        // same domain or below it, ignoring case and a final dot
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return ns_samedomain(other.ascii(), ascii()) != 0;
#pragma GCC diagnostic pop
}

} // namespace Orvanta::Dns
