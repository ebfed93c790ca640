#include "mime/authentication/dkimheader.h"

#include "filter/string.h"
#include "filter/wordwrap.h"
#include "mime/authentication/algorithm.h"
#include "mime/authentication/bodyhash.h"
#include "mime/authentication/canonicalization.h"
#include "mime/authentication/canonicalizedheader.h"
#include "mime/authentication/dkimkey.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/authentication/signervalues.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"
#include "openssl/base64.h"
#include "openssl/signature.h"

#include <cstring>
#include <ctime>
#include <stdexcept>

namespace Orvanta::Mime {

DkimHeader::DkimHeader(const Capabilities& caps, const Object& message, const DkimKey& key,
                       const ExtraHeaders& extra, long expiration, bool oversign,
                       const Canonicalization& canonicalization) {
    requireFrom(message, "Cannot create DKIM header without a from address");
    Algorithm algorithm(key.algorithm.c_str());
    SignerValues values(key);
    SignerValues::check(extra);
    CanonicalizedHeader header(caps, message.header, extra, SignatureType::dkim, canonicalization.header());

    DkimSignature signature;
    signature.version("1");
    signature.algorithm(values.algorithm());
    signature.querymethods("dns/txt");
    signature.timestamp(std::to_string(std::time(nullptr)));
    signature.canonicalization(canonicalization.text().c_str());
    signature.selector(values.selector());
    // the body as encode will write it: what goes out is what is signed
    signature.hash(BodyHash::written(caps, message.body, canonicalization.body(), algorithm).text());
    signature.domain(values.domain().c_str());
    std::string names = header.fields().str(true);
    signature.headers(names.data(), names.size(), oversign);
    if (key.report) signature.report(true);
    if (expiration != 0) signature.expiration(SignerValues::expiration(expiration));

    // folded once, here: the field is written exactly so, and the signed
    // copy of it is this text up to "b="
    std::string field = std::string(name) + ": ";
    {
        Filter::String sink(&field);
        Filter::WordWrap wrap(Capabilities::standard().limits(),
                              Filter::BufferSize(field.size(), field.size()), &sink);
        signature.encode(caps, &wrap, true);
        wrap.flush();
    }
    field += ";\r\n b=";
    header.signature(field.data(), field.size());
    _text = field.substr(std::strlen(name) + 2) + PartialSignature(key, header.text(), 72, "\r\n ").text();
}

void requireFrom(const Object& message, const char* error) {
    if (message.header.get("from").empty()) throw std::runtime_error(error);
}

PartialSignature::PartialSignature(const DkimKey& key, const std::string& data, size_t first,
                                   const char* separator) {
    Algorithm algorithm(key.algorithm.c_str());
    // a= names RSA with PKCS #1 v1.5 padding: a signature made with a key of
    // another type, or with an RSA-PSS key's own padding, would be one that
    // no verifier accepts
    if (!OpenSSL::Signature::pkcs1(key.key.get())) throw std::runtime_error("inappropriate key algorithm");
    OpenSSL::Signature signature(key.key.get(), data.data(), data.size(), algorithm.digest());
    std::string text =
        OpenSSL::Base64::encode(signature.signature().data(), signature.signature().size(), false);
    size_t piece = first;
    for (size_t at = 0; at < text.size(); at += piece, piece = 74) {
        if (at != 0) _text += separator;
        _text += text.substr(at, piece);
    }
}

} // namespace Orvanta::Mime
