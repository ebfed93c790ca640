// An outgoing message: content properties plus a pointer to body bytes that
// the envelope neither copies nor owns; they must outlive its use.
#pragma once

#include <cstdint>

#include "amqp/metadata.h"

namespace AMQP {

class Envelope : public MetaData {
public:
    Envelope(const char* body, uint64_t size) : _body(body), _bodySize(size) {}
    ~Envelope() override = default;

    const char* body() const { return _body; }
    uint64_t bodySize() const { return _bodySize; }

protected:
    const char* _body;
    uint64_t _bodySize;
};

} // namespace AMQP
