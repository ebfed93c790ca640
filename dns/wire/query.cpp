#include "dns/wire/query.h"

#include "dns/wire/bits.h"
#include "dns/wire/idgenerator.h"
#include "dns/wire/message.h"
#include "dns/wire/name.h"
#include "dns/wire/reader.h"
#include "dns/wire/record.h"

#include <stdexcept>

namespace DNS {

Query::Query(int opcode, const char* name, int type, const Bits& bits, const unsigned char* data) {
    if (type < 0 || type > 65535) throw std::runtime_error("invalid type passed to dns query");
    if (opcode != ns_o_query && opcode != ns_o_notify) throw std::runtime_error("invalid dns operation");
    put16(randomids.generate());
    put16(uint16_t((opcode << 11) | (bits.RD() ? 0x0100 : 0) | (bits.AD() ? 0x20 : 0) |
                   (bits.CD() ? 0x10 : 0)));
    put16(1);
    put16(0);
    put16(0);
    put16(0);
    int written = encodeName(name, _buffer + _size, remaining() >= 4 ? remaining() - 4 : 0);
    if (written < 0) throw std::runtime_error("failed domain name compression");
    _size += size_t(written);
    put16(uint16_t(type));
    put16(ns_c_in);
    if (opcode == ns_o_notify && data != nullptr) {
        written = encodeName(reinterpret_cast<const char*>(data), _buffer + _size,
                             remaining() >= 10 ? remaining() - 10 : 0);
        if (written < 0) throw std::runtime_error("failed data name compression");
        _size += size_t(written);
        put16(ns_t_soa);
        put16(ns_c_in);
        put32(0);
        put16(0);
        set16(10, 1);
    }
    edns(bits.DO());
}

bool Query::edns(bool dnssec) {
    if (remaining() < 11) return false;
    _buffer[_size++] = 0;
    put16(ns_t_opt);
    put16(1200);
    put32(dnssec ? 0x8000 : 0);
    put16(0);
    set16(10, uint16_t(get16(10) + 1));
    return true;
}

void Query::set16(size_t at, uint16_t value) {
    _buffer[at] = uint8_t(value >> 8);
    _buffer[at + 1] = uint8_t(value);
}

void Query::put16(uint16_t value) {
    set16(_size, value);
    _size += 2;
}

void Query::put32(uint32_t value) {
    put16(uint16_t(value >> 16));
    put16(uint16_t(value));
}

bool Query::contains(const Question& question) const {
    try {
        Reader reader(_buffer, _size, 12);
        for (unsigned i = 0; i < questions(); ++i) {
            std::string name = reader.name();
            uint16_t type = reader.u16();
            uint16_t dnsclass = reader.u16();
            const char* asked = name.empty() ? "." : name.c_str();
            if (type == question.type() && dnsclass == question.dnsclass() &&
                samename(asked, question.name()))
                return true;
        }
    } catch (const std::runtime_error&) {
    }
    return false;
}

bool Query::matches(const Response& response) const {
    if (response.id() != id()) return false;
    if (response.opcode() == ns_o_update && opcode() == ns_o_update) return true;
    if (response.questions() != questions()) return false;
    // Compared in wire form, without expanding names: every answer passes
    // here. Our own names are written uncompressed.
    for (size_t i = 0; i < response.questions(); ++i) {
        const Message::Entry& asked = response.entry(ns_s_qd, i);
        bool found = false;
        size_t at = 12;
        for (unsigned j = 0; j < questions() && !found; ++j) {
            const unsigned char* name = _buffer + at;
            while (_buffer[at] != 0)
                at += 1 + _buffer[at];
            at += 1;
            found = get16(at) == asked.type && get16(at + 2) == asked.dnsclass &&
                    samename(response.data(), response.size(), asked.name, name);
            at += 4;
        }
        if (!found) return false;
    }
    return true;
}

} // namespace DNS
