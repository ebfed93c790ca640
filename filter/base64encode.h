// Encodes a stream as base64 (RFC 2045 alphabet, "=" padding) on one line,
// through OpenSSL's base64 BIO.
#pragma once

#include "filter/filter.h"
#include "openssl/ownedbio.h"

namespace Orvanta::Filter {

class Base64Encode : public Filter {
public:
    explicit Base64Encode(Result* next);
    // Writes the last group with its padding, as flush() does.
    ~Base64Encode() override;

    using Filter::process;
    // Throws std::runtime_error when OpenSSL refuses the bytes.
    size_t process(const char* data, size_t size, bool persistent) override;
    // Writes the last partial group with its "=" padding: the encoded text
    // ends here, so a flush belongs at the end of the data.
    size_t flush() override;

private:
    size_t drain();

    OpenSSL::Bio _base64;
    OpenSSL::Bio _memory; // freed first
};

} // namespace Orvanta::Filter
