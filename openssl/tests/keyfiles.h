// Key pairs made by the openssl command for the tests, and small file helpers.
#pragma once

#include <string>

namespace Orvanta::OpenSSL::Test {

struct KeyFiles {
    std::string privatePath;
    std::string publicPath;
    std::string publicPem;
};

// "rsa" (2048 bits) or "ec" (P-256); made once per process
const KeyFiles& keyFiles(const std::string& kind);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

} // namespace Orvanta::OpenSSL::Test
