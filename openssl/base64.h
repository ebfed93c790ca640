// Base64 text of a buffer, made by OpenSSL's base64 BIO.
#pragma once

#include <string>

namespace Orvanta::OpenSSL {

class Base64 {
public:
    Base64() = delete;

    // without newlines the text is one line; with them OpenSSL breaks it
    // every 64 characters and ends it with a line feed. Empty when OpenSSL
    // refuses the input.
    static std::string encode(const char* data, unsigned long size, bool newlines);
};

} // namespace Orvanta::OpenSSL
