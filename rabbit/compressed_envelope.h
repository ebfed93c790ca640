// An outgoing AMQP message whose body is the gzip form of the given bytes
// and whose content encoding says "gzip". The body points into the object
// itself: build it, publish it and let it go; never copy or move it.
#pragma once

#include "amqp/values/envelope.h"
#include "rabbit/compressed_gzip.h"

namespace Orvanta::Rabbit::Compressed {

class Envelope : public Gzipped, public AMQP::Envelope {
public:
    Envelope(const char* data, size_t size);
    // Takes the given properties; the content encoding becomes "gzip"
    // whatever they said.
    Envelope(const AMQP::MetaData& properties, const char* data, size_t size);
    Envelope(const Envelope&) = delete;
    Envelope& operator=(const Envelope&) = delete;
    ~Envelope() override = default;
};

} // namespace Orvanta::Rabbit::Compressed
