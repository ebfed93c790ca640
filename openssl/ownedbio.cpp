#include "openssl/ownedbio.h"

#include "openssl/functions.h"

namespace Orvanta::OpenSSL {

Bio::Bio(const bio_method_st* method) : _bio(BIO_new(method)) {}

Bio::~Bio() {
    try {
        BIO_free(_bio);
    } catch (...) {
        // BIO_free could not be bound although BIO_new was: the BIO leaks,
        // which is all that can happen to it in a destructor
    }
}

} // namespace Orvanta::OpenSSL
