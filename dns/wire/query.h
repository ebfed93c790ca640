// A query in wire form, written at construction: header, one question and,
// when it fits, an EDNS0 OPT record advertising 1200 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace DNS {

class Bits;
class Question;
class Response;

class Query {
public:
    // Opcode 0 (QUERY) or 4 (NOTIFY, with `data` naming the SOA owner).
    // std::runtime_error "invalid type passed to dns query", "invalid dns
    // operation", "failed domain name compression" or "failed data name
    // compression".
    Query(int opcode, const char* name, int type, const Bits& bits, const unsigned char* data = nullptr);

    // Appends the OPT record when 11 bytes remain.
    bool edns(bool dnssec);

    uint16_t id() const { return get16(0); }
    int opcode() const { return (_buffer[2] >> 3) & 0x0f; }
    uint16_t questions() const { return get16(4); }
    const unsigned char* data() const { return _buffer; }
    size_t size() const { return _size; }
    size_t remaining() const { return sizeof _buffer - _size; }
    const unsigned char* end() const { return _buffer + _size; }

    // One of our questions has the same name (ignoring case), type and class.
    bool contains(const Question& question) const;
    // The response answers this query: same id and the same questions.
    bool matches(const Response& response) const;

private:
    uint16_t get16(size_t at) const { return uint16_t(_buffer[at] << 8 | _buffer[at + 1]); }
    void set16(size_t at, uint16_t value);
    void put16(uint16_t value);
    void put32(uint32_t value);

    unsigned char _buffer[272];
    size_t _size = 0;
};

} // namespace DNS
