// zlib's deflate and inflate entry points, reached through the library
// opened at run time on first use (the system is never linked against zlib).
#pragma once

struct z_stream_s;

namespace Orvanta::Dynamic {
class Library;
}

namespace Orvanta::Zlib {

// Shared-object names tried in order; null-terminated.
extern const char* versions[];

// The process-wide library, opened on the first call.
const Dynamic::Library& library();
// Whether a zlib library could be opened.
bool valid();

// Each binds its entry point on first call and returns zlib's result; a
// missing library or entry point throws std::runtime_error.
int macroDeflateInit2(z_stream_s* stream, int level, int method, int windowBits, int memLevel, int strategy);
int deflate(z_stream_s* stream, int flush);
int deflateEnd(z_stream_s* stream);
int macroInflateInit2(z_stream_s* stream, int windowBits);
int inflate(z_stream_s* stream, int flush);
int inflateEnd(z_stream_s* stream);

} // namespace Orvanta::Zlib
