// Arbitrary bytes as what a broker sent: cut into frames as the connection
// does, decode every complete one and write it out again. A malformed frame
// may only end in ProtocolException.
#include <cstddef>
#include <cstdint>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/outbuffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/buffers/reducedbuffer.h"
#include "amqp/frames/framevisitor.h"
#include "amqp/framing/frame.h"
#include "amqp/framing/receivedframe.h"

namespace {

// counts what a frame writes, touching every byte
class CountingSink : public AMQP::OutBuffer {
public:
    void append(const void* data, size_t size) override {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i)
            checksum += bytes[i];
        written += size;
    }
    size_t written = 0;
    unsigned checksum = 0;
};

class Rewriter : public AMQP::FrameVisitor {
protected:
    bool fallback(AMQP::Frame& frame) override {
        CountingSink sink;
        frame.fill(sink);
        return sink.written != 0;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // the first byte picks the frame maximum: none, the minimum before the
    // broker's tune, or a common negotiated one
    const uint32_t limits[] = {0, 4096, 131072};
    uint32_t max = limits[data[0] % 3];
    AMQP::ByteBuffer buffer(reinterpret_cast<const char*>(data + 1), size - 1);
    Rewriter rewriter;
    size_t consumed = 0;
    while (consumed < buffer.size()) {
        AMQP::ReducedBuffer rest(buffer, consumed);
        try {
            AMQP::ReceivedFrame frame(rest, max);
            if (!frame.complete()) break;
            frame.dispatch(rewriter);
            consumed += frame.totalSize();
        } catch (const AMQP::ProtocolException&) {
            // the connection fails at this point; so does the stream here
            break;
        }
    }
    return 0;
}
