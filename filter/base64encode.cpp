#include "filter/base64encode.h"

#include "openssl/functions.h"

#include <algorithm>
#include <stdexcept>

namespace Orvanta::Filter {

namespace {

constexpr int noNewlines = 256; // BIO_FLAGS_BASE64_NO_NL
constexpr int shouldRetry = 8;  // BIO_FLAGS_SHOULD_RETRY
constexpr int ctrlReset = 1;    // BIO_CTRL_RESET
constexpr int ctrlInfo = 3;     // BIO_CTRL_INFO: data pointer and length of a memory BIO
constexpr int ctrlFlush = 11;   // BIO_CTRL_FLUSH

// Input goes to OpenSSL in slices of this size: its counts are int, and the
// memory BIO never holds more than one slice's text.
constexpr size_t slice = 48 * 1024;

} // namespace

Base64Encode::Base64Encode(Result* next)
    : Filter(next), _base64(OpenSSL::BIO_f_base64()), _memory(OpenSSL::BIO_s_mem()) {
    if (_base64.get() == nullptr || _memory.get() == nullptr)
        throw std::runtime_error("base64 encoder not available");
    OpenSSL::BIO_set_flags(_base64.get(), noNewlines);
    OpenSSL::BIO_push(_base64.get(), _memory.get());
}

Base64Encode::~Base64Encode() {
    flush();
}

size_t Base64Encode::drain() {
    char* data = nullptr;
    long length = OpenSSL::BIO_ctrl(_memory.get(), ctrlInfo, 0, &data);
    size_t total = next->append(data, length > 0 ? static_cast<size_t>(length) : 0, false);
    OpenSSL::BIO_ctrl(_memory.get(), ctrlReset, 0, nullptr);
    return total;
}

size_t Base64Encode::process(const char* data, size_t size, bool) {
    size_t total = 0;
    size_t done = 0;
    do {
        size_t end = std::min(size, done + slice);
        while (done < end) {
            int written = OpenSSL::BIO_write(_base64.get(), data + done, static_cast<int>(end - done));
            if (written > 0) {
                done += static_cast<size_t>(written);
            } else if (!OpenSSL::BIO_test_flags(_base64.get(), shouldRetry)) {
                // A memory BIO only refuses when memory runs out; losing the
                // rest of a body silently would be worse than stopping.
                total += drain();
                throw std::runtime_error("base64 encoding failed");
            }
        }
        total += drain();
    } while (done < size);
    return total;
}

size_t Base64Encode::flush() {
    OpenSSL::BIO_ctrl(_base64.get(), ctrlFlush, 0, nullptr);
    size_t total = drain();
    return total + next->flush();
}

} // namespace Orvanta::Filter
