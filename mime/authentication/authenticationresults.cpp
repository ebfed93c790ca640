#include "mime/authentication/authenticationresults.h"

#include "filter/linelength.h"
#include "filter/wordwrap.h"
#include "mime/authentication/authenticationtokens.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/comments.h"
#include "mime/grammar/digit.h"
#include "mime/grammar/mess.h"
#include "mime/grammar/whitespace.h"

#include <stdexcept>

namespace Orvanta::Mime {

namespace {

size_t cfws(const char* data, size_t size) {
    return Whitespace(data, size, true).consumed();
}

} // namespace

AuthenticationResults::AuthenticationResults(const char* data, size_t size, bool strict)
    : _whole(!Comments::any(data, size)) {
    try {
        size_t n = cfws(data, size);
        n += AuthenticationValue(_id, data + n, size - n).consumed();
        n += cfws(data + n, size - n);
        Digit version(data + n, size - n);
        if (version.consumed() != 0) {
            _version = version.value();
            n += version.consumed();
            n += cfws(data + n, size - n);
        }
        AuthenticationNoResult none(data + n, size - n);
        if (none.found()) {
            // "none" stands alone: a strict reader refuses what follows
            // rather than pass over results
            n += none.consumed();
            if (strict && n + cfws(data + n, size - n) < size)
                throw std::runtime_error("text after '; none'");
            return;
        }
        while (n < size) {
            try {
                AuthenticationResult result(data + n, size - n, strict);
                n += result.consumed();
                _results.push_back(std::move(result));
            } catch (const std::exception&) {
                if (strict) throw std::runtime_error("error in authentication result");
                _whole = false;
                // the bad result is passed over up to the next ';' (a zero
                // byte also stops the skip: it is passed over alone)
                size_t start = n;
                if (data[n] == ';') ++n;
                n += Mess(data + n, size - n, ";").consumed();
                if (n == start) ++n;
            }
            n += cfws(data + n, size - n);
        }
        if (strict && _results.empty())
            throw std::runtime_error("no information about results was found, and '; none' was not included");
    } catch (const std::runtime_error&) {
        throw;
    } catch (const std::exception& error) {
        // every failure of a parse reads as one kind
        throw std::runtime_error(error.what());
    }
}

size_t AuthenticationResults::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    // an identifier that was read from a quoted string goes back in quotes
    size_t total = writeValue(_id, out);
    if (_version != 1) total += out->append(" " + std::to_string(_version));
    for (const AuthenticationResult& result : _results)
        total += result.encode(caps, out, persistent);
    if (_results.empty()) total += out->append("; none", 6, true);
    return total;
}

size_t AuthenticationResults::encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const {
    return encode(caps, static_cast<Filter::Result*>(out), persistent);
}

size_t AuthenticationResults::encode(const Capabilities& caps, Filter::LineLength* out,
                                     bool persistent) const {
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    size_t total = encode(caps, &wrap, persistent);
    return total + wrap.flush();
}

} // namespace Orvanta::Mime
