#include "filter/charset.h"

#include <cerrno>
#include <stdexcept>

namespace Orvanta::Filter {

Charset::Charset(const char* from, const char* to, Result* next)
    // std::string refuses null names with std::logic_error before iconv sees them.
    : Filter(next), _descriptor(iconv_open((std::string(to) + "//TRANSLIT").c_str(), std::string(from).c_str()))
{
    if (_descriptor == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("Conversion not possible");
}

Charset::~Charset()
{
    reset();
    iconv_close(_descriptor);
}

size_t Charset::process(const char* data, size_t size, bool)
{
    if (!_pending.empty()) {
        std::string joined = std::move(_pending);
        _pending.clear();
        joined.append(data, size);
        return convert(joined.data(), joined.size());
    }
    return convert(data, size);
}

size_t Charset::convert(const char* data, size_t size)
{
    size_t total = 0;
    char* in = const_cast<char*>(data); // iconv's prototype is not const-correct
    size_t left = size;
    while (left > 0) {
        char buffer[1024];
        char* out = buffer;
        size_t room = sizeof buffer;
        size_t result = iconv(_descriptor, &in, &left, &out, &room);
        int error = errno;
        if (out != buffer) total += next->append(buffer, static_cast<size_t>(out - buffer), false);
        if (result != static_cast<size_t>(-1)) break;
        if (error == EINVAL) {
            // A multibyte sequence continues in the next piece.
            _pending.assign(in, left);
            break;
        }
        if (error == EILSEQ) {
            ++in;
            --left;
        } else if (error != E2BIG) {
            throw std::runtime_error("Conversion failed");
        }
    }
    return total;
}

size_t Charset::reset()
{
    char buffer[64];
    char* out = buffer;
    size_t room = sizeof buffer;
    iconv(_descriptor, nullptr, nullptr, &out, &room);
    if (out == buffer) return 0;
    return next->append(buffer, static_cast<size_t>(out - buffer), false);
}

size_t Charset::flush()
{
    size_t total = reset();
    return total + next->flush();
}

} // namespace Orvanta::Filter
