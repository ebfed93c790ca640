#include "dns/wire/record.h"

#include "dns/wire/message.h"
#include "dns/wire/reader.h"

namespace DNS {

Record::Record(const Message& message, ns_sect section, size_t index) {
    const Message::Entry& entry = message.entry(section, index);
    Reader reader(message.data(), message.size(), entry.name);
    _name = reader.name();
    if (_name.empty()) _name = ".";
    _type = entry.type;
    _dnsclass = entry.dnsclass;
    // A TTL with the top bit set reads as 0 (RFC 2181 section 8); an OPT
    // record's TTL field holds the extended code and flags instead.
    _ttl = entry.type != ns_t_opt && entry.ttl > 0x7fffffff ? 0 : entry.ttl;
    if (section != ns_s_qd)
        _data.assign(reinterpret_cast<const char*>(message.data() + entry.data), entry.size);
}

} // namespace DNS
