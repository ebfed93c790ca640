// One counted reference to an OpenSSL key, taken on construction and
// released by the destructor.
#pragma once

#include "openssl/structures.h"

namespace Orvanta::OpenSSL {

class Key {
public:
    // raises the key's count; throws Exception when OpenSSL refuses
    explicit Key(evp_pkey_st* key);
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key();

    evp_pkey_st* get() const { return _key; }

private:
    evp_pkey_st* _key;
};

} // namespace Orvanta::OpenSSL
