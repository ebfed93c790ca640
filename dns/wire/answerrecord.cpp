#include "dns/wire/answerrecord.h"

#include "dns/wire/message.h"

namespace Orvanta::Dns {

Record::Record(const DNS::Message& message, int index, uint16_t type)
    : _record(message, ns_s_an, index < 0 ? size_t(-1) : size_t(index)) {
    if (_record.type() != type) throw Mismatch(type, _record.type());
}

} // namespace Orvanta::Dns
