#include "rabbit/compressed_envelope.h"

namespace Orvanta::Rabbit::Compressed {

Envelope::Envelope(const char* data, size_t size)
    : Gzipped(data, size), AMQP::Envelope(_gzipped.data(), _gzipped.size()) {
    setContentEncoding("gzip");
}

Envelope::Envelope(const AMQP::MetaData& properties, const char* data, size_t size)
    : Gzipped(data, size), AMQP::Envelope(_gzipped.data(), _gzipped.size()) {
    set(properties);
    setContentEncoding("gzip");
}

} // namespace Orvanta::Rabbit::Compressed
