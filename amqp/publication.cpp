#include "amqp/publication.h"

#include <algorithm>
#include <stdexcept>

#include "amqp/basicheaderframe.h"
#include "amqp/bodyframe.h"
#include "amqp/envelope.h"
#include "amqp/flags.h"
#include "amqp/frames/basicframe.h"

namespace AMQP {

Publication::Publication(uint16_t channel, std::string_view exchange, std::string_view routingKey,
                         const Envelope& envelope, int flags, uint32_t maxFrame)
    : _channel(channel), _body(envelope.body()), _size(envelope.bodySize()),
      _maxPayload(maxFrame == 0 ? ExtFrame::maxPayloadSize()
                                : maxFrame - ExtFrame::headerSize() - ExtFrame::trailerSize()) {
    if (exchange.size() > 255 || routingKey.size() > 255) return;
    try {
        auto header = std::make_unique<BasicHeaderFrame>(channel, envelope);
        if (maxFrame != 0 && header->totalSize() > maxFrame) return;
        _method = std::make_unique<BasicPublishFrame>(channel, exchange, routingKey, bool(flags & mandatory),
                                                      bool(flags & immediate));
        _header = std::move(header);
    } catch (const std::runtime_error&) {
        // properties too large for any frame: the message cannot be
        // published, which valid() reports
        _method.reset();
        _header.reset();
    }
}

Publication::~Publication() = default;

const Frame& Publication::method() const {
    return *_method;
}

const Frame& Publication::header() const {
    return *_header;
}

bool Publication::sendBody(const std::function<bool(const Frame&)>& send) const {
    for (uint64_t offset = 0; offset < _size;) {
        uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(_maxPayload, _size - offset));
        if (!send(BodyFrame(_channel, _body + offset, size))) return false;
        offset += size;
    }
    return true;
}

} // namespace AMQP
