// Owner of one BIO made by BIO_new: frees that BIO, not the chain behind it.
// (Not named bio.h: that name belongs to OpenSSL's own header, which other
// parts of the tree may include.)
#pragma once

#include "openssl/structures.h"

namespace Orvanta::OpenSSL {

class Bio {
public:
    explicit Bio(const bio_method_st* method);
    Bio(const Bio&) = delete;
    Bio& operator=(const Bio&) = delete;
    ~Bio();

    // null when OpenSSL could not make the BIO
    bio_st* get() const { return _bio; }

private:
    bio_st* _bio;
};

} // namespace Orvanta::OpenSSL
