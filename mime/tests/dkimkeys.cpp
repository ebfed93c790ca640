#include "mime/tests/dkimkeys.h"

#include "dns/host/hostname.h"
#include "mime/authentication/algorithm.h"
#include "mime/authentication/bodyhash.h"
#include "mime/authentication/canonicalization.h"
#include "mime/authentication/canonicalizedheader.h"
#include "mime/authentication/dkimheader.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"
#include "openssl/base64.h"
#include "openssl/functions.h"
#include "openssl/tests/keyfiles.h"
#include "testsupport/process.h"

#include <stdexcept>

namespace Orvanta::Mime::Test {

namespace {

TestKey load() {
    const auto& files = OpenSSL::Test::keyFiles("rsa");
    std::string pem = OpenSSL::Test::readFile(files.privatePath);
    bio_st* bio = OpenSSL::BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    evp_pkey_st* key = OpenSSL::PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
    OpenSSL::BIO_free(bio);
    if (key == nullptr) throw std::runtime_error("cannot read the test key");
    return TestKey{key, files.privatePath, files.publicPem, record(files.publicPem)};
}

} // namespace

std::string record(const std::string& pem) {
    std::string body;
    size_t end = pem.find("-----END");
    for (size_t i = pem.find('\n') + 1; i < end; ++i)
        if (pem[i] != '\n' && pem[i] != '\r') body += pem[i];
    return body;
}

const TestKey& testKey() {
    static const TestKey key = load();
    return key;
}

DkimKey signingKey(const char* algorithm, const char* domain, const char* selector) {
    return DkimKey(testKey().privateKey, Dns::Hostname(domain, false), selector, algorithm);
}

namespace {

// the b= text of the openssl command's signature of the data
std::string commandSignature(const std::string& privatePath, const char* digest, const std::string& data) {
    std::string dir = Orvanta::Test::scratchDir("dkim-command");
    OpenSSL::Test::writeFile(dir + "/data", data);
    auto result = Orvanta::Test::runProcess({"openssl", "dgst", std::string("-") + digest, "-sign",
                                             privatePath, "-out", dir + "/signature", dir + "/data"});
    if (result.status != 0) throw std::runtime_error("openssl dgst -sign failed: " + result.err);
    std::string bytes = OpenSSL::Test::readFile(dir + "/signature");
    return OpenSSL::Base64::encode(bytes.data(), bytes.size(), false);
}

} // namespace

std::string signWith(const std::string& tags, const std::string& text, size_t length,
                     const std::string& privatePath) {
    Object object(text.data(), text.size());
    std::string probe = tags + "; bh=AA; b=AA";
    DkimSignature parsed(probe.data(), probe.size(), false, false);
    Canonicalization canonicalization(parsed.canonicalization().c_str());
    std::string hash = BodyHash::received(object.body, canonicalization.body(),
                                          Algorithm(parsed.algorithm().c_str()), length)
                           .text();
    std::string field = "DKIM-Signature: " + tags + "; bh=" + hash + ";\r\n b=";
    CanonicalizedHeader header(Capabilities::utf8(), object.header, canonicalization.header(),
                               parsed.headers());
    header.signature(field.data(), field.size());
    if (!privatePath.empty())
        return field +
               commandSignature(privatePath, Algorithm(parsed.algorithm().c_str()).digest(), header.text()) +
               "\r\n" + text;
    DkimKey key = signingKey(parsed.algorithm().c_str(), parsed.domain().c_str(), parsed.selector().c_str());
    return field + PartialSignature(key, header.text(), 72, "\r\n ").text() + "\r\n" + text;
}

} // namespace Orvanta::Mime::Test
