// Public keys as DKIM key records deliver them: bytes from DNS, read as PEM
// text or as a bare base64 key.
#include "openssl/exception.h"
#include "openssl/functions.h"
#include "openssl/publickey.h"
#include "openssl/signature.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        Orvanta::OpenSSL::PublicKey key(reinterpret_cast<const char*>(data), size);
        // a key that reads must also take part in a check without harm
        Orvanta::OpenSSL::Signature signature(key.key(), std::string(64, 'x'), "sha256");
        signature.verify(reinterpret_cast<const char*>(data), size);
    } catch (const Orvanta::OpenSSL::Exception&) {
        // not a key: the expected answer to most inputs
    }
    Orvanta::OpenSSL::ERR_clear_error();
    return 0;
}
