#include "amqp/values/message.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "amqp/buffers/protocolexception.h"

namespace AMQP {

Message::Message(std::string exchange, std::string routingKey)
    : Envelope(nullptr, 0), _exchange(std::move(exchange)), _routingKey(std::move(routingKey)) {}

Message::~Message() {
    std::free(_allocated);
}

void Message::setBodySize(uint64_t size) {
    if (size > maxBodySize || size > std::numeric_limits<size_t>::max())
        throw ProtocolException("message is too big for this system");
    _bodySize = size;
}

bool Message::append(const char* buffer, uint64_t size) {
    if (_allocated) {
        uint64_t take = _received < _bodySize ? std::min(size, _bodySize - _received) : 0;
        reserve(_received + take);
        if (take) std::memcpy(_allocated + _received, buffer, take);
        _received += take;
    } else if (_body && _received >= _bodySize) {
        // already complete: bytes beyond the announced size are ignored
    } else if (_bodySize > size) {
        // the body spans several frames: copy it into a buffer that grows
        // as they arrive
        reserve(size);
        if (size) std::memcpy(_allocated, buffer, size);
        _received = size;
    } else {
        _body = buffer;
        _received = _bodySize;
    }
    return _received >= _bodySize;
}

void Message::reserve(uint64_t needed) {
    if (_allocated && needed <= _capacity) return;
    // doubling keeps the copies linear in the body size
    uint64_t capacity = std::max<uint64_t>({needed, _capacity * 2, 64 * 1024});
    capacity = std::min(capacity, _bodySize);
    auto* grown = static_cast<char*>(std::realloc(_allocated, capacity));
    if (!grown) throw ProtocolException("message is too big for this system");
    _allocated = grown;
    _capacity = capacity;
    _body = _allocated;
}

} // namespace AMQP
