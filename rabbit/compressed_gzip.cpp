#include "rabbit/compressed_gzip.h"

#include "filter/gzip.h"
#include "filter/string.h"

namespace Orvanta::Rabbit::Compressed {

Gzipped::Gzipped(const char* data, size_t size) {
    Filter::String sink(&_gzipped);
    // the filter writes the last block and the trailer when it goes, so the
    // string is a complete member only after this scope
    Filter::Gzip gzip(false, &sink);
    gzip.append(data, size, true);
}

} // namespace Orvanta::Rabbit::Compressed
