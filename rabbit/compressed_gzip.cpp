#include "rabbit/compressed_gzip.h"

#include "filter/gzip.h"
#include "filter/string.h"

namespace Orvanta::Rabbit::Compressed {

Gzipped::Gzipped(const char* data, size_t size) {
    Filter::String sink(&_gzipped);
    Filter::Gzip gzip(false, &sink);
    gzip.append(data, size, true);
    // the last block and the trailer, with any failure reported here rather
    // than lost in the filter's destructor
    gzip.finish();
}

} // namespace Orvanta::Rabbit::Compressed
