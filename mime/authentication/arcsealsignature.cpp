#include "mime/authentication/arcsealsignature.h"

#include "mime/authentication/arcauthenticationresults.h"
#include "mime/authentication/arcline.h"
#include "mime/authentication/arcmessagesignature.h"
#include "mime/authentication/arcsealorder.h"
#include "mime/authentication/arcsignatures.h"
#include "mime/authentication/arcsigndata.h"
#include "mime/authentication/canonicalizedheader.h"
#include "mime/authentication/dkimheader.h"
#include "mime/authentication/dkimkey.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/header.h"
#include "mime/message/line.h"
#include "mime/message/object.h"

#include <ctime>
#include <stdexcept>
#include <strings.h>

namespace Orvanta::Mime {

ArcSealSignature::ArcSealSignature(const char* data, size_t size, bool strict)
    : DkimSignature(data, size, strict, true), _instance(Arc::instance(*this)) {
    if (strict && !complete()) throw std::runtime_error("header is incomplete");
}

ArcSealSignature::ArcSealSignature(const Capabilities& caps, const ArcSignData& data,
                                   const ArcAuthenticationResults& results,
                                   const ArcMessageSignature& signature)
    : _instance(data.instance()) {
    const DkimKey& key = data.key();
    set("i", std::to_string(_instance));
    algorithm(data.values().algorithm());
    selector(data.values().selector());
    domain(data.values().domain().c_str());
    set("cv", data.cv());
    timestamp(std::to_string(std::time(nullptr)));

    CanonicalizedHeader canonical(caps, data.message().header, false, DkimHeaderFields());
    const ArcSealOrder* order = data.signatures().order();
    if (order != nullptr) {
        const Header& header = data.message().header;
        for (int k = covered(); k < _instance; ++k) {
            canonical.add(header[order->results(k)]);
            canonical.add(header[order->signature(k)]);
            canonical.add(header[order->seal(k)]);
        }
    }
    // the new lines as the header will hold them
    std::string aar = "arc-authentication-results:" + results.str(true) + "\r\n";
    canonical.add(Line(aar.c_str()));
    std::string ams = "arc-message-signature:" + signature.str(true) + "\r\n";
    canonical.add(Line(ams.c_str()));
    std::string own = "arc-seal:" + str(true) + "; b=";
    canonical.signature(own.data(), own.size());
    set("b", PartialSignature(key, canonical.text(), 72).text());
}

bool ArcSealSignature::cv() const {
    const std::string& word = chain();
    if (strcasecmp(word.c_str(), "none") == 0) return _instance == 1;
    if (strcasecmp(word.c_str(), "pass") == 0) return _instance > 1;
    return false;
}

int ArcSealSignature::covered() const {
    return strcasecmp(chain().c_str(), "fail") == 0 ? _instance : 1;
}

bool ArcSealSignature::complete() const {
    for (const char* name : {"i", "a", "b", "cv", "d", "s"})
        if (!has(name)) return false;
    return true;
}

Key ArcSealSignature::key() const {
    return Key("ARC-Seal", 8);
}

const Line* ArcSealSignature::line(const Header& header) const {
    return Arc::line<ArcSealSignature>(header, "ARC-Seal",
                                       [this](const ArcSealSignature& other) { return sameTags(other); });
}

} // namespace Orvanta::Mime
