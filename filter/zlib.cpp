#include "filter/zlib.h"

#include "dynamic/function.h"
#include "dynamic/library.h"

#include <zlib.h>

namespace Orvanta::Zlib {

namespace {
// The init functions check the major version and the stream record's size;
// the record has kept its layout since 1.2.
const char* const headerVersion = "1.2.11";
const int streamSize = static_cast<int>(sizeof(z_stream));
} // namespace

const char* versions[] = {"libz.so",       "libz.so.1",       "libz.so.1.3", "libz.so.1.2.11",
                          "libz.so.1.2.8", "libz.so.1.2.3.4", nullptr};

const Dynamic::Library& library() {
    static const Dynamic::Library zlib(versions);
    return zlib;
}

bool valid() {
    return library().valid();
}

int macroDeflateInit2(z_stream_s* stream, int level, int method, int windowBits, int memLevel, int strategy) {
    static const Dynamic::Function<int(z_stream_s*, int, int, int, int, int, const char*, int)> func(
        library(), "deflateInit2_");
    return func(stream, level, method, windowBits, memLevel, strategy, headerVersion, streamSize);
}

int deflate(z_stream_s* stream, int flush) {
    static const Dynamic::Function<int(z_stream_s*, int)> func(library(), "deflate");
    return func(stream, flush);
}

int deflateEnd(z_stream_s* stream) {
    static const Dynamic::Function<int(z_stream_s*)> func(library(), "deflateEnd");
    return func(stream);
}

int macroInflateInit2(z_stream_s* stream, int windowBits) {
    static const Dynamic::Function<int(z_stream_s*, int, const char*, int)> func(library(), "inflateInit2_");
    return func(stream, windowBits, headerVersion, streamSize);
}

int inflate(z_stream_s* stream, int flush) {
    static const Dynamic::Function<int(z_stream_s*, int)> func(library(), "inflate");
    return func(stream, flush);
}

int inflateEnd(z_stream_s* stream) {
    static const Dynamic::Function<int(z_stream_s*)> func(library(), "inflateEnd");
    return func(stream);
}

} // namespace Orvanta::Zlib
