#include "mime/authentication/arcmessagesignature.h"

#include "mime/authentication/algorithm.h"
#include "mime/authentication/arcline.h"
#include "mime/authentication/arcsigndata.h"
#include "mime/authentication/bodyhash.h"
#include "mime/authentication/canonicalization.h"
#include "mime/authentication/canonicalizedheader.h"
#include "mime/authentication/dkimheader.h"
#include "mime/authentication/dkimkey.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"

#include <ctime>
#include <stdexcept>

namespace Orvanta::Mime {

ArcMessageSignature::ArcMessageSignature(const char* data, size_t size, bool strict)
    : DkimSignature(data, size, strict, true), _instance(Arc::instance(*this)) {
    if (strict && !complete()) throw std::runtime_error("header is incomplete");
}

ArcMessageSignature::ArcMessageSignature(const Capabilities& caps, const ArcSignData& data, long expire,
                                         bool oversign) {
    const DkimKey& key = data.key();
    const Object& message = data.message();
    requireFrom(message, "Cannot create ARC message signature without a from address");
    CanonicalizedHeader header(caps, message.header, ExtraHeaders(), SignatureType::arc, false);

    instance(data.instance());
    const SignerValues& values = data.values();
    algorithm(values.algorithm());
    querymethods("dns/txt");
    canonicalization("relaxed/relaxed");
    timestamp(std::to_string(std::time(nullptr)));
    selector(values.selector());
    domain(values.domain().c_str());
    std::string names = header.fields().str(true);
    headers(names.data(), names.size(), oversign);
    if (expire != 0) expiration(SignerValues::expiration(expire));
    hash(BodyHash::written(caps, message.body, false, Algorithm(key.algorithm.c_str())).text());

    std::string own = "arc-message-signature:" + str(true) + "; b=";
    header.signature(own.data(), own.size());
    set("b", PartialSignature(key, header.text(), 72).text());
}

void ArcMessageSignature::instance(int number) {
    _instance = number;
    set("i", std::to_string(number));
}

bool ArcMessageSignature::complete() const {
    for (const char* name : {"i", "a", "b", "bh", "d", "s"})
        if (!has(name)) return false;
    return !headers().empty();
}

Key ArcMessageSignature::key() const {
    return Key("ARC-Message-Signature", 21);
}

const Line* ArcMessageSignature::line(const Header& header) const {
    return Arc::line<ArcMessageSignature>(
        header, "ARC-Message-Signature",
        [this](const ArcMessageSignature& other) { return sameTags(other); });
}

} // namespace Orvanta::Mime
