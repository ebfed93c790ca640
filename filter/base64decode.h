// Decodes base64 text through OpenSSL's base64 BIO. Characters outside the
// base64 alphabet (line breaks, blanks) are skipped, groups split across
// pieces are put back together, and padding ends the data.
#pragma once

#include "filter/filter.h"
#include "openssl/ownedbio.h"

namespace Orvanta::Filter {

class Base64Decode : public Filter {
public:
    // lines: whether the text comes in lines; since line breaks are skipped
    // before OpenSSL sees the text, both forms decode alike.
    Base64Decode(bool lines, Result* next);
    ~Base64Decode() override = default;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

private:
    // Hands whole groups of four characters to OpenSSL and pushes what
    // comes out.
    size_t decode(const char* groups, size_t size);
    // Decodes the groups, the last one padded, and ends the data.
    size_t finish(const char* groups, size_t size);

    OpenSSL::Bio _base64;
    OpenSSL::Bio _memory; // freed first
    // Characters of a group not yet complete (OpenSSL stalls on them).
    char _held[4] = {};
    size_t _heldSize = 0;
    bool _ended = false; // padding was met: the rest is ignored
};

} // namespace Orvanta::Filter
