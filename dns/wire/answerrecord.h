// One answer-section record of a received DNS message, as the typed records
// of the key lookups (TxtRecord, DkimRecord) start from; Mismatch is what
// they throw for a record of another kind.
#pragma once

#include "dns/wire/record.h"

#include <cstdint>

namespace DNS {
class Message;
}

namespace Orvanta::Dns {

class Mismatch {
public:
    Mismatch(uint16_t expected, uint16_t found) : _expected(expected), _found(found) {}

    uint16_t expected() const { return _expected; }
    uint16_t found() const { return _found; }

private:
    uint16_t _expected;
    uint16_t _found;
};

class Record {
public:
    // Answer number `index`; std::runtime_error "failed to parse record"
    // when there is none, Mismatch when it is not of `type`.
    Record(const DNS::Message& message, int index, uint16_t type);
    virtual ~Record() = default;

    const DNS::Record& record() const { return _record; }

private:
    DNS::Record _record;
};

} // namespace Orvanta::Dns
