#include "dns/record.h"

#include "dns/message.h"
#include "dns/reader.h"

namespace DNS {

Record::Record(const Message& message, ns_sect section, size_t index) {
    const Message::Entry& entry = message.entry(section, index);
    Reader reader(message.data(), message.size(), entry.name);
    _name = reader.name();
    if (_name.empty()) _name = ".";
    _type = entry.type;
    _dnsclass = entry.dnsclass;
    _ttl = entry.ttl;
    if (section != ns_s_qd)
        _data.assign(reinterpret_cast<const char*>(message.data() + entry.data), entry.size);
}

} // namespace DNS
