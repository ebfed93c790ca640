#include "amqp/publication.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "amqp/flags.h"
#include "amqp/frames/basicframe.h"
#include "amqp/framing/basicheaderframe.h"
#include "amqp/framing/bodyframe.h"
#include "amqp/values/envelope.h"

namespace AMQP {

Publication::Publication(uint16_t channel, std::string_view exchange, std::string_view routingKey,
                         const Envelope& envelope, int flags)
    : _channel(channel), _body(envelope.body()), _size(envelope.bodySize()), _keeper(envelope.keeper()) {
    if (exchange.size() > 255 || routingKey.size() > 255) return;
    try {
        _header = std::make_unique<BasicHeaderFrame>(channel, envelope);
        _method = std::make_unique<BasicPublishFrame>(channel, exchange, routingKey, bool(flags & mandatory),
                                                      bool(flags & immediate));
    } catch (const std::runtime_error&) {
        // properties too large for any frame: the message cannot be
        // published, which valid() reports
        _method.reset();
        _header.reset();
    }
}

Publication::Publication(Publication&&) noexcept = default;
Publication& Publication::operator=(Publication&&) noexcept = default;
Publication::~Publication() = default;

bool Publication::fits(uint32_t maxFrame) const {
    return valid() && (maxFrame == 0 || _header->totalSize() <= maxFrame);
}

void Publication::hold() {
    if (_keeper || _size == 0) return;
    std::shared_ptr<char[]> copy(new char[_size]);
    std::memcpy(copy.get(), _body, _size);
    _body = copy.get();
    _keeper = std::move(copy);
}

const Frame& Publication::method() const {
    return *_method;
}

const Frame& Publication::header() const {
    return *_header;
}

bool Publication::sendBody(uint32_t maxFrame,
                           const std::function<bool(const BodyFrame&, const Keeper&)>& send) const {
    uint32_t maxPayload = maxFrame == 0 ? ExtFrame::maxPayloadSize()
                                        : maxFrame - ExtFrame::headerSize() - ExtFrame::trailerSize();
    for (uint64_t offset = 0; offset < _size;) {
        uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(maxPayload, _size - offset));
        if (!send(BodyFrame(_channel, _body + offset, size), _keeper)) return false;
        offset += size;
    }
    return true;
}

} // namespace AMQP
