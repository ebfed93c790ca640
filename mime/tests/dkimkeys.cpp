#include "mime/tests/dkimkeys.h"

#include "openssl/functions.h"
#include "openssl/tests/keyfiles.h"

#include <stdexcept>

namespace Orvanta::Mime::Test {

namespace {

TestKey load() {
    auto const& files = OpenSSL::Test::keyFiles("rsa");
    std::string pem = OpenSSL::Test::readFile(files.privatePath);
    bio_st* bio = OpenSSL::BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    evp_pkey_st* key = OpenSSL::PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
    OpenSSL::BIO_free(bio);
    if (key == nullptr) throw std::runtime_error("cannot read the test key");
    std::string record;
    std::string const& text = files.publicPem;
    size_t end = text.find("-----END");
    for (size_t i = text.find('\n') + 1; i < end; ++i)
        if (text[i] != '\n' && text[i] != '\r') record += text[i];
    return TestKey{key, files.privatePath, files.publicPem, record};
}

} // namespace

TestKey const& testKey() {
    static TestKey const key = load();
    return key;
}

} // namespace Orvanta::Mime::Test
