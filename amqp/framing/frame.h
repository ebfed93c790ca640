// The root of every frame the client writes or reads: its size on the wire,
// how it writes itself, and what the connection may do with it.
#pragma once

#include <cstdint>

namespace AMQP {

class ConnectionImpl;
class OutBuffer;

class Frame {
public:
    virtual ~Frame() = default;

    // bytes the frame occupies on the wire, end marker included
    virtual uint32_t totalSize() const = 0;

    // writes the frame, end marker excluded
    virtual void fill(OutBuffer& buffer) const = 0;

    // may go out while the connection is still being set up
    virtual bool partOfHandshake() const { return false; }

    // may go out after the client asked to close the connection
    virtual bool partOfShutdown() const { return false; }

    // the writer appends the end-of-frame marker after fill()
    virtual bool needsSeparator() const { return true; }

    // the sender waits for the broker's reply before sending more on the channel
    virtual bool synchronous() const { return false; }

    // what receiving this frame does; a frame the client does not expect
    // throws ProtocolException
    virtual bool process(ConnectionImpl* connection);

protected:
    Frame() = default;
    Frame(const Frame&) = default;
    Frame& operator=(const Frame&) = default;
};

// the octet after every frame's payload
constexpr uint8_t frameEnd = 0xCE;

} // namespace AMQP
