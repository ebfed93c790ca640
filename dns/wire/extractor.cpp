#include "dns/wire/extractor.h"

#include "dns/wire/record.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace DNS {

namespace {

// an address record holds the address and nothing else: 5 bytes are no
// IPv4 address with one to spare
void fits(const Record& record, size_t size) {
    if (record.size() != size) throw std::runtime_error("record size does not fit its type");
}

in_addr v4(const Record& record) {
    fits(record, 4);
    in_addr address;
    std::memcpy(&address, record.data(), 4);
    return address;
}

in6_addr v6(const Record& record) {
    fits(record, 16);
    in6_addr address;
    std::memcpy(&address, record.data(), 16);
    return address;
}

} // namespace

Extractor::Extractor(const Record& record, ns_type type, size_t minimum)
    : _record(record), _ttl(record.ttl()) {
    if (record.type() != type) throw std::runtime_error("type mismatch / wrong record type");
    if (record.size() < minimum) throw std::runtime_error("record too small");
}

bool Extractor::rdata(Canonicalizer& out) const {
    return out.add32(uint32_t(_record.size())) && out.add(_record.data(), _record.size());
}

A::A(const Record& record) : Extractor(record, ns_t_a, 4), _ip(v4(record)) {}

AAAA::AAAA(const Record& record) : Extractor(record, ns_t_aaaa, 16), _ip(v6(record)) {}

OPT::OPT(const Message&, const Record& record) : Extractor(record, ns_t_opt, 0) {}

Ip extract(const Record& record) {
    if (record.type() == ns_t_a) return A(record).ip();
    if (record.type() == ns_t_aaaa) return AAAA(record).ip();
    throw std::runtime_error("Ips can only be extracted from A and AAAA records");
}

Canonicalizer::~Canonicalizer() {
    std::free(_data);
}

bool Canonicalizer::reserve(size_t count) {
    size_t capacity = _capacity + std::max<size_t>(4096, count);
    if (capacity < _capacity) return false;
    auto* grown = static_cast<unsigned char*>(std::realloc(_data, capacity));
    if (grown == nullptr) return false;
    _data = grown;
    _capacity = capacity;
    return true;
}

bool Canonicalizer::add32(uint32_t value) {
    unsigned char bytes[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8),
                              uint8_t(value)};
    return add(bytes, 4);
}

bool Canonicalizer::add(const void* bytes, size_t length) {
    if (_capacity - _size < length && !reserve(length)) return false;
    if (length) std::memcpy(_data + _size, bytes, length);
    _size += length;
    return true;
}

} // namespace DNS
