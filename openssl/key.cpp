#include "openssl/key.h"

#include "openssl/exception.h"
#include "openssl/functions.h"

namespace Orvanta::OpenSSL {

Key::Key(evp_pkey_st* key) : _key(key) {
    if (EVP_PKEY_up_ref(key) != 1) throw Exception(ERR_get_error());
}

Key::~Key() {
    if (!_key) return;
    try {
        EVP_PKEY_free(_key);
    } catch (...) {
        // EVP_PKEY_free could not be bound: the reference leaks, which is all
        // that can happen to it in a destructor
    }
}

} // namespace Orvanta::OpenSSL
