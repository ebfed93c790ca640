#include "mime/authentication/signervalues.h"

#include "dns/host/hostname.h"
#include "mime/authentication/algorithm.h"
#include "mime/authentication/dkimkey.h"
#include "mime/message/extraheaders.h"
#include "mime/message/key.h"

#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

// A key's name is the selector, "._domainkey." and the domain, within the
// 253 characters of any host name.
constexpr size_t maxKeyName = 253;
constexpr size_t keyInfix = 12;
// RFC 6376 3.5: x= holds at most 12 digits
constexpr long maxExpiration = 999999999999L;

// Whether the text is labels of at least one byte each, joined by single
// dots, with none before the first or after the last; `least` labels at
// the fewest.
bool labels(const std::string& text, size_t least) {
    size_t count = 1;
    size_t length = 0;
    for (char c : text) {
        if (c != '.') {
            ++length;
            continue;
        }
        if (length == 0) return false;
        length = 0;
        ++count;
    }
    return length != 0 && count >= least;
}

// The ASCII form of a name under the STD3 rules (letters, digits and inner
// hyphens in each label), or a throw of `error`; U-labels come out as
// A-labels.
std::string strict(const char* name, const char* error) {
    try {
        Dns::Hostname host(name, true);
        return host.ascii();
    } catch (const std::exception&) {
        throw std::runtime_error(error);
    }
}

} // namespace

SignerValues::SignerValues(const DkimKey& key) : _algorithm(Algorithm(key.algorithm.c_str()).name()) {
    // a name read up to a NUL is not the caller's whole value
    if (key.algorithm.find('\0') != std::string::npos)
        throw std::runtime_error("unsupported digest algorithm");
    const char* ascii = key.domain.ascii();
    if (ascii == nullptr) throw std::runtime_error("invalid signing domain");
    // a final dot names the same domain; the tag is written without it
    std::string domain = ascii;
    if (!domain.empty() && domain.back() == '.') domain.pop_back();
    _domain = strict(domain.c_str(), "invalid signing domain");
    if (!labels(_domain, 2)) throw std::runtime_error("invalid signing domain");
    _selector = strict(key.selector.c_str(), "invalid selector");
    if (!labels(_selector, 1) || key.selector.find('\0') != std::string::npos ||
        _selector.size() + keyInfix + _domain.size() > maxKeyName)
        throw std::runtime_error("invalid selector");
}

std::string SignerValues::expiration(long time) {
    if (time < 0 || time > maxExpiration) throw std::runtime_error("invalid expiration");
    return std::to_string(time);
}

void SignerValues::check(const ExtraHeaders& extra) {
    // a name no field can have, and one with a ';', which would end h=
    for (const String& name : extra.names())
        if (!Key::fieldName(name.data(), name.size()) ||
            std::memchr(name.data(), ';', name.size()) != nullptr)
            throw std::runtime_error("invalid header name");
}

} // namespace Orvanta::Mime
