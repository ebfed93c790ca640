// The text form of an Ip ("192.0.2.1", "2001:db8::1"), made once.
#pragma once

#include <cstddef>
#include <iosfwd>

namespace DNS {

class Ip;

class Printable {
public:
    explicit Printable(const Ip& ip);

    const char* data() const { return _buffer; }
    size_t size() const;

private:
    // the longest IPv6 text and its terminator
    char _buffer[46];
};

std::ostream& operator<<(std::ostream& stream, const Printable& text);

} // namespace DNS
