#include "dns/wire/txtrecord.h"

#include <stdexcept>

namespace Orvanta::Dns {

TxtRecord::TxtRecord(const DNS::Message& message, int index) : Record(message, index, ns_t_txt) {
    const unsigned char* data = record().data();
    size_t size = record().size();
    for (size_t at = 0; at < size;) {
        size_t length = data[at++];
        // a string cut by the end of the data: the record is broken, not short
        if (length > size - at) throw std::runtime_error("malformed TXT record");
        _text.append(reinterpret_cast<const char*>(data + at), length);
        at += length;
    }
}

} // namespace Orvanta::Dns
