#include "mime/arcmessagesignature.h"

#include "mime/algorithm.h"
#include "mime/arcline.h"
#include "mime/arcsigndata.h"
#include "mime/bodyhash.h"
#include "mime/canonicalization.h"
#include "mime/canonicalizedbody.h"
#include "mime/canonicalizedheader.h"
#include "mime/capabilities.h"
#include "mime/dkimheader.h"
#include "mime/dkimkey.h"
#include "mime/object.h"

#include <ctime>
#include <stdexcept>

namespace Orvanta::Mime {

ArcMessageSignature::ArcMessageSignature(char const* data, size_t size, bool strict)
    : DkimSignature(data, size, strict, true), _instance(Arc::instance(*this)) {
    if (strict && !complete()) throw std::runtime_error("header is incomplete");
}

ArcMessageSignature::ArcMessageSignature(Capabilities const& caps, ArcSignData const& data, long expire,
                                         bool oversign) {
    DkimKey const& key = data.key();
    Object const& message = data.message();
    CanonicalizedHeader header(caps, message.header, ExtraHeaders(), SignatureType::arc, false);
    CanonicalizedBody body(caps, message.body, false);

    instance(data.instance());
    algorithm(key.algorithm);
    querymethods("dns/txt");
    canonicalization("relaxed/relaxed");
    timestamp(std::to_string(std::time(nullptr)));
    selector(key.selector);
    char const* ascii = key.domain.ascii();
    domain(ascii == nullptr ? "" : ascii);
    std::string names = header.fields().str(true);
    headers(names.data(), names.size(), oversign);
    if (expire != 0) expiration(std::to_string(expire));
    hash(BodyHash(body, Algorithm(key.algorithm.c_str())).text());

    std::string own = "arc-message-signature:" + str(true) + "; b=";
    header.signature(own.data(), own.size());
    set("b", PartialSignature(key, header.text(), 72).text());
}

void ArcMessageSignature::instance(int number) {
    _instance = number;
    set("i", std::to_string(number));
}

bool ArcMessageSignature::complete() const {
    for (char const* name : {"i", "a", "b", "bh", "d", "s"})
        if (!has(name)) return false;
    return !headers().empty();
}

Key ArcMessageSignature::key() const {
    return Key("ARC-Message-Signature", 21);
}

Line const* ArcMessageSignature::line(Header const& header) const {
    return Arc::line<ArcMessageSignature>(
        header, "ARC-Message-Signature",
        [this](ArcMessageSignature const& other) { return sameTags(other); });
}

} // namespace Orvanta::Mime
