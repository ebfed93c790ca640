// Decodes arbitrary bytes as a field table. Malformed input must end in a
// ProtocolException, never in a crash, a hang or a read past the bytes; what
// decodes must encode to size() bytes that decode to the same table again.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/values/table.h"

namespace {

class StringSink : public AMQP::OutBuffer {
public:
    void append(const void* data, size_t size) override {
        bytes.append(static_cast<const char*>(data), size);
    }
    std::string bytes;
};

std::string encode(const AMQP::Table& table) {
    StringSink sink;
    table.fill(sink);
    if (sink.bytes.size() != table.size()) std::abort();
    return sink.bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AMQP::ByteBuffer buffer(reinterpret_cast<const char*>(data), size);
    AMQP::InBuffer in(buffer);
    try {
        AMQP::Table table(in);
        std::string bytes = encode(table);
        AMQP::ByteBuffer again(bytes.data(), bytes.size());
        AMQP::InBuffer reader(again);
        AMQP::Table decoded(reader);
        if (reader.available() != 0 || encode(decoded) != bytes) std::abort();
        AMQP::Table copy(decoded);
        std::ostringstream printed;
        printed << copy;
    } catch (const AMQP::ProtocolException&) {
        // malformed input is expected here: refusing it is the right outcome
    }
    return 0;
}
