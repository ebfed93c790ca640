// Signing and unsigning of Object: a message gets its DKIM-Signature here.
#include "dns/hostname.h"
#include "mime/canonicalizedheader.h"
#include "mime/dkimheader.h"
#include "mime/dkimkey.h"
#include "mime/dkimsignature.h"
#include "mime/object.h"

#include <strings.h>

namespace Orvanta::Mime {

bool Object::sign(Capabilities const& caps, DkimKey const& key, long expiration, bool oversign,
                  Canonicalization const& canonicalization) {
    return sign(caps, key, ExtraHeaders(), expiration, oversign, canonicalization);
}

bool Object::sign(Capabilities const& caps, DkimKey const& key, ExtraHeaders const& extra, long expiration,
                  bool oversign, Canonicalization const& canonicalization) {
    try {
        DkimHeader signature(caps, *this, key, extra, expiration, oversign, canonicalization);
        unsign(key);
        header.prepend(signature);
        return true;
    } catch (...) {
        // signing reports by its result; the message keeps what it had
        return false;
    }
}

void Object::unsign(DkimKey const& key) {
    unsign(key.domain, key.selector);
}

void Object::unsign(Dns::Hostname const& domain, std::string const& selector) {
    char const* ascii = domain.ascii() == nullptr ? "" : domain.ascii();
    for (HeaderIterator it = header.begin(); it != header.end();) {
        Line const& line = *it;
        bool remove = false;
        try {
            if (line.key.containsDkimSignature()) {
                DkimSignature signature(line.value.data(), line.value.size(), false, false);
                if (signature.complete()) {
                    Dns::Hostname signer(signature.domain().c_str(), false);
                    char const* theirs = signer.ascii() == nullptr ? "" : signer.ascii();
                    remove = strcasecmp(theirs, ascii) == 0 &&
                             strcasecmp(signature.selector().c_str(), selector.c_str()) == 0;
                }
            }
        } catch (std::exception const&) {
            // a field that does not parse is not one of ours to remove
        }
        if (remove)
            it = header.remove(it);
        else
            ++it;
    }
}

} // namespace Orvanta::Mime
