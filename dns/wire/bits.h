// The flags a query carries: AD, CD, DO (DNSSEC OK) and RD. The default,
// 8, asks for recursion only.
#pragma once

namespace DNS {

class Bits {
public:
    Bits(unsigned bits = 8) : _bits(bits) {}

    bool AD() const { return _bits & 1; }
    bool CD() const { return _bits & 2; }
    bool DO() const { return _bits & 4; }
    bool RD() const { return _bits & 8; }
    bool dnssec() const { return DO(); }
    unsigned value() const { return _bits; }

private:
    unsigned _bits;
};

} // namespace DNS
