#include "amqp/message.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "amqp/protocolexception.h"

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
        uint64_t take = std::min(size, _bodySize - _received);
        if (take) std::memcpy(_allocated + _received, buffer, take);
        _received += take;
    } else if (_body && _received >= _bodySize) {
        // already complete: bytes beyond the announced size are ignored
    } else if (_bodySize > size) {
        // the body spans several frames: one buffer of the announced size
        _allocated = static_cast<char*>(std::malloc(_bodySize));
        if (!_allocated) throw ProtocolException("message is too big for this system");
        if (size) std::memcpy(_allocated, buffer, size);
        _body = _allocated;
        _received = size;
    } else {
        _body = buffer;
        _received = _bodySize;
    }
    return _received >= _bodySize;
}

} // namespace AMQP
