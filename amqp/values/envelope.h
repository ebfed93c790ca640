// An outgoing message: content properties plus a pointer to body bytes that
// the envelope neither copies nor owns; they must outlive its use. A keeper
// given with the body says that whoever holds it keeps the bytes valid: a
// publication that has to wait, or a socket that cannot take the body at
// once, then refers to them instead of taking a copy.
#pragma once

#include <cstdint>
#include <utility>

#include "amqp/buffers/outpiece.h"
#include "amqp/values/metadata.h"

namespace AMQP {

class Envelope : public MetaData {
public:
    Envelope(const char* body, uint64_t size) : _body(body), _bodySize(size) {}
    Envelope(const char* body, uint64_t size, Keeper keeper)
        : _body(body), _bodySize(size), _keeper(std::move(keeper)) {}
    ~Envelope() override = default;

    const char* body() const { return _body; }
    uint64_t bodySize() const { return _bodySize; }
    // empty when the body is valid only while the envelope is being used
    const Keeper& keeper() const { return _keeper; }

protected:
    const char* _body;
    uint64_t _bodySize;
    Keeper _keeper;
};

} // namespace AMQP
