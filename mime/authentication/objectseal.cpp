// Sealing of Object: a new ARC set on top of the header, and the removal of
// the newest sets again.
#include "mime/authentication/arcauthenticationresults.h"
#include "mime/authentication/arcmessagesignature.h"
#include "mime/authentication/arcpublickeys.h"
#include "mime/authentication/arcsealsignature.h"
#include "mime/authentication/arcsignatures.h"
#include "mime/authentication/arcsigndata.h"
#include "mime/authentication/authenticationresultslist.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace Orvanta::Mime {

bool Object::resign(const Dns::Context& context, const Capabilities& caps, const DkimKey& key,
                    const AuthenticationResults& results, long expire, bool oversign) {
    try {
        ArcSignatures signatures(*this);
        ArcPublicKeys keys(context, signatures);
        return resign(caps, signatures, keys, key, results, expire, oversign);
    } catch (...) {
        // sealing reports by its result; the message keeps what it had
        return false;
    }
}

bool Object::resign(const Capabilities& caps, const ArcSignatures& signatures, const ArcPublicKeys& keys,
                    const DkimKey& key, const AuthenticationResults& results, long expire, bool oversign) {
    try {
        ArcSignData data(*this, signatures, keys, key);
        if (signatures.order() == nullptr) throw std::runtime_error(signatures.error());
        // validators refuse a longer chain, so no set is added beyond the limit
        if (data.instance() > ArcSealOrder::limit) throw std::runtime_error("too many arc sets");
        // the caller's results in their normal form, as peers will read them
        std::string text = results.str(true);
        // the seal signs its copy of the field read up to a NUL, short of
        // what the header would hold
        if (text.find('\0') != std::string::npos) throw std::runtime_error("results hold a NUL");
        ArcAuthenticationResults aar(data.instance(), AuthenticationResults(text.data(), text.size(), true));
        ArcMessageSignature ams(caps, data, expire, oversign);
        ArcSealSignature seal(caps, data, aar, ams);
        size_t lines = header.size();
        header.prepend("ARC-Authentication-Results", aar);
        header.prepend("ARC-Message-Signature", ams);
        header.prepend("ARC-Seal", seal);
        // The set as the header writes it must pass the transport: a token
        // that cannot be folded (a long authserv-id) leaves a line over the
        // hard limit, and the results have no 7-bit form for their 8-bit
        // bytes. Such a set is taken off again.
        size_t added = header.size() - lines;
        bool fits = added == 3;
        for (size_t i = 0; fits && i < added; ++i)
            fits = header[i].encodable(caps);
        if (fits) return true;
        for (size_t i = 0; i < added; ++i)
            header.remove(size_t(0));
        return false;
    } catch (...) {
        return false;
    }
}

bool Object::resign(const Capabilities& caps, const DkimKey& key, const std::string& id, long expire,
                    bool oversign) {
    try {
        AuthenticationResultsList list(header, id, false);
        if (list.results().empty()) return false;
        // Sealing validates the chain first, and this form has neither a DNS
        // context nor gathered keys to do it with: only a message that
        // carries no set yet, with nothing to validate, is sealed.
        ArcSignatures signatures(*this);
        if (signatures.size() != 0 || !signatures.error().empty()) return false;
        ArcPublicKeys keys([](const ArcPublicKeys::Key&,
                              Dns::DkimRecords&) { throw std::runtime_error("no keys to fetch"); },
                           signatures);
        return resign(caps, signatures, keys, key, list.results().front(), expire, oversign);
    } catch (...) {
        return false;
    }
}

void Object::unresign(const std::vector<std::string>& ids) {
    try {
        ArcSealOrder order(header);
        std::vector<size_t> positions;
        for (int k = static_cast<int>(order.size()); k >= 1; --k) {
            const Value& value = header[order.results(k)].value;
            ArcAuthenticationResults results(value.data(), value.size(), true);
            if (std::find(ids.begin(), ids.end(), results.id()) == ids.end()) break;
            positions.push_back(order.results(k));
            positions.push_back(order.signature(k));
            positions.push_back(order.seal(k));
        }
        std::sort(positions.begin(), positions.end(), std::greater<size_t>());
        for (size_t position : positions)
            header.remove(position);
    } catch (...) {
        // a chain that cannot be read loses nothing
    }
}

} // namespace Orvanta::Mime
