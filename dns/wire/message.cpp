#include "dns/wire/message.h"

#include "dns/wire/operation.h"
#include "dns/wire/query.h"
#include "dns/wire/reader.h"

#include <stdexcept>

namespace DNS {

Message::Message(const unsigned char* data, size_t size) : _bytes(reinterpret_cast<const char*>(data), size) {
    parse();
}

Message::Message(std::string&& bytes) : _bytes(std::move(bytes)) {
    parse();
}

void Message::parse() {
    try {
        Reader reader(data(), size());
        reader.skip(4);
        uint16_t counts[4];
        for (uint16_t& count : counts)
            count = reader.u16();
        for (int section = 0; section < 4; ++section) {
            _sections[section].reserve(counts[section]);
            for (unsigned i = 0; i < counts[section]; ++i) {
                Entry entry{};
                entry.name = reader.position();
                reader.name();
                entry.type = reader.u16();
                entry.dnsclass = reader.u16();
                if (section != ns_s_qd) {
                    entry.ttl = reader.u32();
                    entry.size = reader.u16();
                    entry.data = reader.position();
                    reader.skip(entry.size);
                }
                _sections[section].push_back(entry);
            }
        }
    } catch (const std::runtime_error&) {
        throw std::runtime_error("failed to parse dns message");
    }
}

size_t Message::records(ns_sect section) const {
    return unsigned(section) < 4 ? _sections[section].size() : 0;
}

size_t Message::records(ns_sect section, uint16_t type, uint16_t dnsclass) const {
    size_t count = 0;
    for (size_t i = 0; i < records(section); ++i) {
        const Entry& e = _sections[section][i];
        if (e.type == type && e.dnsclass == dnsclass) ++count;
    }
    return count;
}

const Message::Entry& Message::entry(ns_sect section, size_t index) const {
    if (index >= records(section)) throw std::runtime_error("failed to parse record");
    return _sections[section][index];
}

int Message::rcode() const {
    int code = data()[3] & 0x0f;
    for (const Entry& e : _sections[ns_s_ar]) {
        // an OPT record keeps the upper eight bits of the code in its TTL
        if (e.type == ns_t_opt) return code | int(e.ttl >> 24) << 4;
    }
    return code;
}

Request::Request(const Query& query) : Message(query.data(), query.size()) {}

Request::Request(const Operation* operation) : Request(operation->query()) {}

} // namespace DNS
