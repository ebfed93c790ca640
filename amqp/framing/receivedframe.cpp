#include "amqp/framing/receivedframe.h"

#include <stdexcept>
#include <string>

#include "amqp/buffers/buffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/frames/framevisitor.h"
#include "amqp/frames/methoddispatch.h"
#include "amqp/framing/basicheaderframe.h"
#include "amqp/framing/bodyframe.h"
#include "amqp/framing/frame.h"
#include "amqp/framing/heartbeatframe.h"

namespace AMQP {

ReceivedFrame::ReceivedFrame(const Buffer& buffer, uint32_t max)
    : FrameWindow(buffer), InBuffer(static_cast<const FrameWindow&>(*this)), _received(buffer.size()) {
    if (_received < headerSize) {
        limit(0);
        return;
    }
    _type = nextUint8();
    _channel = nextUint16();
    _payloadSize = nextUint32();
    _header = true;

    // Without a limit the 32-bit total size still bounds the payload: a
    // larger one would wrap totalSize() and put the stream out of step.
    uint64_t limitSize = max ? max : UINT32_MAX;
    if (uint64_t(_payloadSize) + headerSize + 1 > limitSize) throw ProtocolException("frame size exceeded");

    if (!complete()) {
        limit(headerSize);
        return;
    }
    if (static_cast<uint8_t>(buffer.byte(headerSize + _payloadSize)) != frameEnd)
        throw FramingException("invalid end of frame marker");

    // arguments are read from the payload only, never from what follows it
    limit(headerSize + _payloadSize);
}

bool ReceivedFrame::dispatch(FrameVisitor& visitor) {
    if (!complete()) throw std::logic_error("dispatch of an incomplete frame");
    switch (_type) {
    case 1:
        return MethodDispatch::process(*this, visitor);
    case 2:
        return processHeaderFrame(visitor);
    case 3: {
        BodyFrame frame(*this);
        return visitor.visit(frame);
    }
    case 4:
    case 8: {
        HeartbeatFrame frame(*this);
        return visitor.visit(frame);
    }
    default:
        throw ProtocolException("unrecognized frame type " + std::to_string(_type));
    }
}

bool ReceivedFrame::processHeaderFrame(FrameVisitor& visitor) {
    uint16_t classID = nextUint16();
    if (classID != 60) throw ProtocolException("unrecognized header frame class " + std::to_string(classID));
    BasicHeaderFrame frame(*this);
    return visitor.visit(frame);
}

} // namespace AMQP
