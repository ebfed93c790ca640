#include "openssl/base64.h"

#include "openssl/functions.h"
#include "openssl/ownedbio.h"

#include <algorithm>
#include <climits>

namespace Orvanta::OpenSSL {

namespace {
// OpenSSL's values, from its BIO header
constexpr int flagNoNewlines = 0x100;
constexpr int flagShouldRetry = 0x08;
constexpr int controlFlush = 11;
constexpr int controlGetData = 3;
} // namespace

std::string Base64::encode(const char* data, unsigned long size, bool newlines) {
    Bio filter(BIO_f_base64());
    if (!filter.get()) return {};
    if (!newlines) BIO_set_flags(filter.get(), flagNoNewlines);
    // declared second, so freed before the filter it is chained behind
    Bio memory(BIO_s_mem());
    if (!memory.get()) return {};
    BIO_push(filter.get(), memory.get());

    unsigned long offset = 0;
    while (offset < size) {
        // BIO_write counts in int: larger inputs go in several writes
        int chunk = static_cast<int>(std::min<unsigned long>(size - offset, INT_MAX));
        int written = BIO_write(filter.get(), data + offset, chunk);
        if (written > 0) {
            offset += static_cast<unsigned long>(written);
            continue;
        }
        if (!BIO_test_flags(filter.get(), flagShouldRetry)) return {};
    }
    BIO_ctrl(filter.get(), controlFlush, 0, nullptr);
    char* text = nullptr;
    long length = BIO_ctrl(memory.get(), controlGetData, 0, &text);
    if (!text || length <= 0) return {};
    return std::string(text, static_cast<size_t>(length));
}

} // namespace Orvanta::OpenSSL
