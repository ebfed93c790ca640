// Typed views of records: the address of an A or AAAA record, the extended
// code of an OPT record, and the data of any record in canonical form.
#pragma once

#include "dns/host/ip.h"

#include <arpa/nameser.h>
#include <cstddef>
#include <cstdint>

namespace DNS {

class Canonicalizer;
class Message;
class Record;

class Extractor {
public:
    // std::runtime_error "type mismatch / wrong record type" or "record too
    // small"
    Extractor(const Record& record, ns_type type, size_t minimum);
    virtual ~Extractor() = default;

    uint32_t ttl() const { return _ttl; }
    // the data's length (32 bits) and the data; false when it cannot grow
    virtual bool rdata(Canonicalizer& out) const;

protected:
    const Record& _record;
    uint32_t _ttl;
};

class A : public Extractor {
public:
    // also std::runtime_error "record size does not fit its type" when the
    // data is not 4 bytes (16 for AAAA)
    explicit A(const Record& record);
    const Ip& ip() const { return _ip; }

private:
    Ip _ip;
};

class AAAA : public Extractor {
public:
    explicit AAAA(const Record& record);
    // an IPv4-mapped address reads as IPv4
    const Ip& ip() const { return _ip; }

private:
    Ip _ip;
};

class OPT : public Extractor {
public:
    OPT(const Message& message, const Record& record);
    // the upper eight bits of the response code
    int rcode() const { return int(_ttl >> 24); }
};

// The address of an A or AAAA record; std::runtime_error "Ips can only be
// extracted from A and AAAA records" for any other.
Ip extract(const Record& record);

// A growable byte buffer.
class Canonicalizer {
public:
    Canonicalizer() = default;
    Canonicalizer(const Canonicalizer&) = delete;
    Canonicalizer& operator=(const Canonicalizer&) = delete;
    ~Canonicalizer();

    // grows by the larger of 4096 and `count`; false when memory runs out
    bool reserve(size_t count);
    bool add32(uint32_t value);
    bool add(const void* bytes, size_t length);

    const unsigned char* data() const { return _data; }
    size_t size() const { return _size; }

private:
    unsigned char* _data = nullptr;
    size_t _capacity = 0;
    size_t _size = 0;
};

} // namespace DNS
