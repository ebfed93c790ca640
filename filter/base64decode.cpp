#include "filter/base64decode.h"

#include "openssl/functions.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

namespace Orvanta::Filter {

namespace {

constexpr int noNewlines = 256; // BIO_FLAGS_BASE64_NO_NL

constexpr std::array<bool, 256> buildAlphabet()
{
    std::array<bool, 256> table{};
    for (int c = 'A'; c <= 'Z'; ++c) table[c] = true;
    for (int c = 'a'; c <= 'z'; ++c) table[c] = true;
    for (int c = '0'; c <= '9'; ++c) table[c] = true;
    table['+'] = table['/'] = true;
    return table;
}

// The base64 digits; "=" is handled on its own.
constexpr std::array<bool, 256> digits = buildAlphabet();

} // namespace

Base64Decode::Base64Decode([[maybe_unused]] bool lines, Result* next)
    : Filter(next), _base64(OpenSSL::BIO_f_base64()), _memory(OpenSSL::BIO_s_mem())
{
    if (_base64.get() == nullptr || _memory.get() == nullptr) throw std::runtime_error("base64 decoder not available");
    // The text reaches OpenSSL without line breaks whichever form it came
    // in; OpenSSL's line mode would hold the last lines back until the end
    // of its source, which a stream never signals.
    OpenSSL::BIO_set_flags(_base64.get(), noNewlines);
    OpenSSL::BIO_push(_base64.get(), _memory.get());
}

size_t Base64Decode::decode(const char* groups, size_t size)
{
    if (size == 0) return 0;
    OpenSSL::BIO_write(_memory.get(), groups, static_cast<int>(size));
    size_t total = 0;
    for (;;) {
        char buffer[16384];
        int read = OpenSSL::BIO_read(_base64.get(), buffer, sizeof buffer);
        if (read < 1) break;
        total += next->append(buffer, static_cast<size_t>(read), false);
    }
    return total;
}

size_t Base64Decode::finish(const char* groups, size_t size)
{
    // Padding only ends the data (RFC 2045): whatever follows is ignored.
    _ended = true;
    _heldSize = 0;
    return decode(groups, size);
}

size_t Base64Decode::process(const char* data, size_t size, bool)
{
    if (_ended) return 0;
    size_t total = 0;
    // Gathers whole groups; OpenSSL returns nothing for a read of one to
    // three characters and does not recover, so it only ever sees groups.
    char groups[4096];
    std::memcpy(groups, _held, _heldSize);
    size_t filled = _heldSize;
    size_t i = 0;
    while (i < size) {
        // A run of ordinary characters is copied in one go.
        size_t run = i;
        while (run < size && digits[static_cast<unsigned char>(data[run])]) ++run;
        while (i < run) {
            size_t n = std::min(run - i, sizeof groups - filled);
            std::memcpy(groups + filled, data + i, n);
            filled += n;
            i += n;
            if (filled == sizeof groups) {
                total += decode(groups, filled);
                filled = 0;
            }
        }
        if (i == size) break;
        if (data[i++] != '=') continue; // outside the alphabet: skipped
        // Padding ends the data (RFC 2045) wherever it stands. The group it
        // stands in is padded out when its characters hold a byte; a lone
        // character holds none. What follows never reaches OpenSSL, which
        // would make bytes up from a misplaced "=".
        if (filled % 4 == 1) --filled;
        while (filled % 4 != 0) groups[filled++] = '=';
        return total + finish(groups, filled);
    }
    size_t whole = filled - filled % 4;
    total += decode(groups, whole);
    _heldSize = filled - whole;
    std::memcpy(_held, groups + whole, _heldSize);
    return total;
}

} // namespace Orvanta::Filter
