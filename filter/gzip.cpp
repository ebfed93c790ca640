#include "filter/gzip.h"

#include "filter/zlib.h"

#include <climits>
#include <stdexcept>
#include <string>

namespace Orvanta::Filter {

namespace {
// zlib counts input in 32 bits: larger inputs go in slices of this size.
const size_t sliceSize = size_t(1) << 30;
const size_t outputSize = 4096;
} // namespace

Gzip::Gzip(bool raw, Result* next) : Filter(next), _stream() {
    if (!start(raw)) throw std::runtime_error(_stream.msg != nullptr ? _stream.msg : "gzip error");
}

bool Gzip::start(bool raw) {
    _stream = z_stream();
    _stream.zalloc = nullptr;
    _stream.zfree = nullptr;
    _stream.opaque = nullptr;
    _open = Zlib::macroDeflateInit2(&_stream, -1, 8, raw ? -15 : 31, 8, 0) == Z_OK;
    return _open;
}

void Gzip::fail() {
    _open = false;
    throw std::runtime_error(_stream.msg != nullptr ? _stream.msg : "gzip error");
}

size_t Gzip::process(const char* data, size_t size, bool) {
    if (size == 0) return 0;
    if (!_open) throw std::runtime_error("gzip error");
    size_t total = 0;
    char buffer[outputSize];
    while (size > 0) {
        size_t slice = size < sliceSize ? size : sliceSize;
        _stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        _stream.avail_in = static_cast<uInt>(slice);
        do {
            _stream.next_out = reinterpret_cast<Bytef*>(buffer);
            _stream.avail_out = outputSize;
            int result = Zlib::deflate(&_stream, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END) fail();
            total += next->append(buffer, outputSize - _stream.avail_out, false);
            if (result == Z_STREAM_END) return total;
        } while (_stream.avail_in > 0);
        data += slice;
        size -= slice;
    }
    return total;
}

size_t Gzip::flush() {
    if (!_open) return 0;
    size_t total = 0;
    char buffer[outputSize];
    _stream.next_in = nullptr;
    _stream.avail_in = 0;
    while (true) {
        _stream.next_out = reinterpret_cast<Bytef*>(buffer);
        _stream.avail_out = outputSize;
        int result = Zlib::deflate(&_stream, Z_SYNC_FLUSH);
        // Without new input a repeated flush makes no progress: the normal end.
        if (result == Z_BUF_ERROR) break;
        if (result != Z_OK && result != Z_STREAM_END) fail();
        total += next->append(buffer, outputSize - _stream.avail_out, false);
        if (result == Z_STREAM_END) break;
    }
    return total;
}

size_t Gzip::finish() {
    if (!_open) return 0;
    // Whatever happens below, the stream is not finished a second time.
    _open = false;
    size_t total = 0;
    char buffer[outputSize];
    _stream.next_in = nullptr;
    _stream.avail_in = 0;
    int result;
    do {
        _stream.next_out = reinterpret_cast<Bytef*>(buffer);
        _stream.avail_out = outputSize;
        result = Zlib::deflate(&_stream, Z_FINISH);
        if (result != Z_OK && result != Z_STREAM_END)
            throw std::runtime_error(_stream.msg != nullptr ? _stream.msg : "gzip error");
        total += next->append(buffer, outputSize - _stream.avail_out, false);
    } while (result == Z_OK);
    return total;
}

Gzip::~Gzip() {
    try {
        finish();
    } catch (...) {
        // Destructors never throw: a caller that must know calls finish().
    }
    Zlib::deflateEnd(&_stream);
}

bool Gzip::reset(bool raw) {
    Zlib::deflateEnd(&_stream);
    return start(raw);
}

} // namespace Orvanta::Filter
