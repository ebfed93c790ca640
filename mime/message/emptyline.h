// The empty line that ends a header block (CR LF, a lone LF, or nothing at the
// end of the text), thrown by the key scan.
#pragma once

#include <cstddef>
#include <stdexcept>

namespace Orvanta::Mime {

class EmptyLine : public std::runtime_error {
public:
    // counts the bytes up to and including the first LF, at most `maximum`
    EmptyLine(const char* data, size_t maximum);

    const char* data() const { return _data; }
    size_t size() const { return _size; }

private:
    const char* _data;
    size_t _size = 0;
};

} // namespace Orvanta::Mime
