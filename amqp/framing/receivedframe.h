// One frame being cut from received bytes: checks its size against the
// connection's maximum and its end marker, and, once complete, decodes it and
// hands it to a FrameVisitor. It reads the bytes in place and copies nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "amqp/buffers/framewindow.h"
#include "amqp/buffers/inbuffer.h"

namespace AMQP {

class Buffer;
class FrameVisitor;

// The window is a base listed before InBuffer, so that it exists before the
// cursor that reads through it.
class ReceivedFrame : private FrameWindow, public InBuffer {
public:
    // buffer starts at the first byte of the frame; max is the connection's
    // maximum frame size (0: no limit). Throws ProtocolException "frame size
    // exceeded" as soon as the header announces too large a payload, and
    // "invalid end of frame marker" when a complete frame does not end in it.
    ReceivedFrame(const Buffer& buffer, uint32_t max);

    // the 7 header bytes were there
    bool header() const { return _header; }

    // the whole frame, end marker included, was there
    bool complete() const { return _header && _received - headerSize >= uint64_t(_payloadSize) + 1; }

    // bytes of the whole frame; known once header() is true
    uint32_t totalSize() const { return _payloadSize + headerSize + 1; }

    uint8_t type() const { return _type; }
    uint16_t channel() const { return _channel; }
    uint32_t payloadSize() const { return _payloadSize; }

    // decodes the complete frame by type, class id and method id and hands
    // the frame object to the visitor, returning what the visitor returns;
    // unknown types and ids throw ProtocolException
    bool dispatch(FrameVisitor& visitor);

private:
    static constexpr size_t headerSize = 7;

    bool processHeaderFrame(FrameVisitor& visitor);

    size_t _received;
    bool _header = false;
    uint8_t _type = 0;
    uint16_t _channel = 0;
    uint32_t _payloadSize = 0;
};

} // namespace AMQP
