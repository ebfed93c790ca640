#include "mime/authentication/signaturestatus.h"

#include "filter/base64decode.h"
#include "filter/string.h"
#include "mime/authentication/algorithm.h"
#include "mime/authentication/bodyhash.h"
#include "mime/authentication/canonicalization.h"
#include "mime/authentication/canonicalizedheader.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"
#include "openssl/publickey.h"
#include "openssl/signature.h"

#include <ctime>
#include <stdexcept>
#include <strings.h>

namespace Orvanta::Mime {

const char* const cvpass = "pass";
const char* const cvfail = "fail";
const char* const cvnone = "none";

const char* const Status::pass = "pass";
const char* const Status::fail = "fail";
const char* const Status::temperror = "temperror";
const char* const Status::permerror = "permerror";
const char* const Status::none = "none";

namespace {

// a decimal tag value as a 64-bit number; throws on anything else
unsigned long long decimal(const std::string& text) {
    if (text.empty() || text.size() > 20) throw std::runtime_error("invalid number");
    unsigned long long value = 0;
    for (char c : text) {
        if (!Ascii::isDigit(c)) throw std::runtime_error("invalid number");
        unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (~0ULL - digit) / 10) throw std::runtime_error("invalid number");
        value = value * 10 + digit;
    }
    return value;
}

// base64 with its folding and blanks skipped
std::string decode(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size() * 3 / 4);
    Filter::String sink(&bytes);
    {
        Filter::Base64Decode decoder(false, &sink);
        decoder.append(text.data(), text.size(), false);
        decoder.flush();
    }
    return bytes;
}

std::string withoutBlanks(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text)
        if (!Ascii::isSpace(c)) result += c;
    return result;
}

bool signsFrom(const DkimHeaderFields& fields) {
    for (const std::string& name : fields.names())
        if (strcasecmp(name.c_str(), "from") == 0) return true;
    return false;
}

} // namespace

std::string SignatureStatus::signatureBytes(const std::string& text) {
    return decode(text);
}

bool SignatureStatus::verified(evp_pkey_st* key, const Algorithm& algorithm, const std::string& data,
                               const std::string& signature) {
    return OpenSSL::Signature::verifyRsa(key, algorithm.digest(), data, signature);
}

bool SignatureStatus::unfit(const OpenSSL::PublicKey& key) {
    // a= names RSA and k= no other type: an EC or Ed25519 key under a
    // record for RSA is unsuitable, not a signature that fails (RFC 6376
    // section 6.1.2)
    if (!OpenSSL::Signature::rsa(key.key())) {
        conclude(permerror, "inappropriate key algorithm");
        return true;
    }
    if (!OpenSSL::Signature::weak(key.key())) return false;
    conclude(permerror, "Public key too small: RSA keys need at least 1024 bits");
    return true;
}

const char* SignatureStatus::conclude(const char* result, const char* message) {
    _result = result;
    _message = message;
    return result;
}

const char* SignatureStatus::initialize(const Object& message, const DkimSignature& signature,
                                        const OpenSSL::PublicKey& key, bool) {
    try {
        return verify(message, signature, key);
    } catch (...) {
        // whatever a check meets inside is the signature's fault
        return conclude(permerror, "Unknown, caught exception");
    }
}

const char* SignatureStatus::verify(const Object& message, const DkimSignature& signature,
                                    const OpenSSL::PublicKey& key) {
    if (!signature.complete()) return conclude(permerror, "Not all parameters set in signature");
    if (signature.domain().empty() || signature.selector().empty())
        return conclude(permerror, "Domain or selector not set in signature");
    Algorithm algorithm(signature.algorithm().c_str());
    Canonicalization canonicalization(signature.canonicalization().c_str());
    std::string bytes = decode(signature.signature());
    std::string expected = withoutBlanks(signature.hash());
    if (!signsFrom(signature.headers())) return conclude(permerror, "From field not signed");
    if (unfit(key)) return _result;
    if (!signature.expiration().empty() &&
        static_cast<unsigned long long>(std::time(nullptr)) > decimal(signature.expiration()))
        return conclude(permerror, "Signature expired");

    Capabilities caps(true, false, Capabilities::utf8().limits());
    size_t length = BodyHash::whole;
    if (!signature.length().empty()) {
        unsigned long long limit = decimal(signature.length());
        length = limit < BodyHash::whole ? static_cast<size_t>(limit) : BodyHash::whole - 1;
    }
    // the body as it came, not as this library would write it
    BodyHash hash = BodyHash::received(message.body, canonicalization.body(), algorithm, length);
    // a length beyond the body cannot have been signed over this body
    if ((length != BodyHash::whole && length > hash.size()) || hash.text() != expected)
        return conclude(fail, "Body hash does not match");

    const Line* field = signature.line(message.header);
    if (field == nullptr) return conclude(fail, "Could not find original signature in mime");
    CanonicalizedHeader header(caps, message.header, canonicalization.header(), signature.headers());
    header.signature(*field);

    if (!verified(key.key(), algorithm, header.text(), bytes))
        return conclude(fail, "Header hash does not match");
    return conclude(pass, nullptr);
}

const char* DkimStatus::initialize(const Object& message, const DkimSignature& signature,
                                   const OpenSSL::PublicKey& key, bool strict) {
    _signature = &signature;
    const std::string& domain = signature.domain();
    std::string auid = signature.auid().empty() ? "@" + domain : signature.auid();
    size_t at = auid.rfind('@');
    bool valid = !domain.empty() && at != std::string::npos && at + 1 < auid.size();
    if (valid) {
        std::string host = auid.substr(at + 1);
        bool equal = strcasecmp(host.c_str(), domain.c_str()) == 0;
        bool below = host.size() > domain.size() + 1 && host[host.size() - domain.size() - 1] == '.' &&
                     strcasecmp(host.c_str() + host.size() - domain.size(), domain.c_str()) == 0;
        valid = strict ? equal : (equal || below);
    }
    if (!valid) return conclude(permerror, "Invalid AUID");
    // an ARC message signature has no version; a DKIM signature must have 1
    if (signature.version() != "1") return conclude(permerror, "Unsupported signature version");
    return SignatureStatus::initialize(message, signature, key, strict);
}

} // namespace Orvanta::Mime
