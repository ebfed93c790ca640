// Signing and unsigning of Object: a message gets its DKIM-Signature here.
#include "dns/host/hostname.h"
#include "mime/authentication/canonicalizedheader.h"
#include "mime/authentication/dkimheader.h"
#include "mime/authentication/dkimkey.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/authentication/signervalues.h"
#include "mime/message/line.h"
#include "mime/message/object.h"

#include <string>
#include <strings.h>

namespace Orvanta::Mime {

bool Object::sign(const Capabilities& caps, const DkimKey& key, long expiration, bool oversign,
                  const Canonicalization& canonicalization) {
    return sign(caps, key, ExtraHeaders(), expiration, oversign, canonicalization);
}

bool Object::sign(const Capabilities& caps, const DkimKey& key, const ExtraHeaders& extra, long expiration,
                  bool oversign, const Canonicalization& canonicalization) {
    try {
        DkimHeader signature(caps, *this, key, extra, expiration, oversign, canonicalization);
        // The field as the header writes it must pass the transport: h= folds
        // between names, but a name over the hard limit stays whole.
        std::string field = std::string(DkimHeader::name) + ": " + signature.text() + "\r\n";
        if (!Line(field.data(), field.size()).encodable(caps)) return false;
        unsign(key);
        header.prepend(signature);
        return true;
    } catch (...) {
        // signing reports by its result; the message keeps what it had
        return false;
    }
}

void Object::unsign(const DkimKey& key) {
    try {
        // the fields of this key as the signer writes them
        SignerValues values(key);
        unsign(Dns::Hostname(values.domain().c_str(), false), values.selector());
    } catch (const std::exception&) {
        unsign(key.domain, key.selector);
    }
}

void Object::unsign(const Dns::Hostname& domain, const std::string& selector) {
    const char* ascii = domain.ascii() == nullptr ? "" : domain.ascii();
    // one pass over the header, however many lines go
    header.remove([&](const Line& line) {
        try {
            if (!line.key.containsDkimSignature()) return false;
            DkimSignature signature(line.value.data(), line.value.size(), false, false);
            if (!signature.complete()) return false;
            Dns::Hostname signer(signature.domain().c_str(), false);
            const char* theirs = signer.ascii() == nullptr ? "" : signer.ascii();
            return strcasecmp(theirs, ascii) == 0 &&
                   strcasecmp(signature.selector().c_str(), selector.c_str()) == 0;
        } catch (const std::exception&) {
            // a field that does not parse is not one of ours to remove
            return false;
        }
    });
}

} // namespace Orvanta::Mime
