#include "filter/quotedprintableencode.h"

#include "filter/mimehex.h"

#include <array>
#include <cstring>

namespace Orvanta::Filter {

QuotedPrintableEncode::QuotedPrintableEncode(Result* next)
    : Filter(&_converter), _worker(next, 76), _converter(&_worker, "\n", 1)
{
}

QuotedPrintableEncode::Worker::~Worker()
{
    if (_blank) softBreak();
}

namespace {

constexpr std::array<bool, 256> buildPrintable()
{
    std::array<bool, 256> table{};
    for (int c = 0x20; c < 0x7f; ++c) table[c] = c != '=';
    table['\t'] = true;
    return table;
}

constexpr std::array<bool, 256> printable = buildPrintable();

} // namespace

bool QuotedPrintableEncode::Worker::isPrintable(char byte) { return printable[static_cast<unsigned char>(byte)]; }

size_t QuotedPrintableEncode::Worker::softBreak()
{
    _column = 0;
    _blank = false;
    return next->append("=\r\n", 3, true);
}

size_t QuotedPrintableEncode::Worker::process(const char* data, size_t size, bool persistent)
{
    if (size == 0) return 0;
    size_t total = 0;
    // Escapes, soft breaks and line ends gather in a buffer of their own, so
    // that escaped text does not cost one push per byte; unchanged input
    // goes on as slices. At most one of the two holds bytes at any time.
    char out[1024];
    size_t used = 0;
    size_t start = 0; // of the pending slice of unchanged bytes
    // Working copies: stores through the input's char pointer could alias
    // the members and would force a reload for every byte.
    unsigned column = _column;
    bool blank = _blank;
    auto flushOut = [&] {
        if (used > 0) total += next->append(out, used, false);
        used = 0;
    };
    auto pushPending = [&](size_t end) {
        if (end > start) {
            flushOut();
            total += next->append(data + start, end - start, persistent);
        }
        start = end;
    };
    auto emit = [&](const char* bytes, size_t n) {
        if (used + n > sizeof out) flushOut();
        std::memcpy(out + used, bytes, n);
        used += n;
    };
    auto softBreak = [&] {
        emit("=\r\n", 3);
        column = 0;
        blank = false;
    };
    for (size_t i = 0; i < size; ++i) {
        char c = data[i];
        if (c == '\n') {
            pushPending(i);
            if (blank) softBreak();
            emit("\r\n", 2);
            column = 0;
            blank = false;
            start = i + 1;
        } else if (isPrintable(c)) {
            ++column;
            blank = c == ' ' || c == '\t';
            if (column >= _limit - 1) {
                pushPending(i + 1);
                softBreak();
            }
        } else {
            pushPending(i);
            if (column + 3 >= _limit) softBreak();
            MimeHex escape(c);
            emit(escape.data(), MimeHex::size());
            column += 3;
            blank = false;
            if (column >= _limit - 1) softBreak();
            start = i + 1;
        }
    }
    pushPending(size);
    flushOut();
    _column = column;
    _blank = blank;
    return total;
}

size_t QuotedPrintableEncode::Worker::flush()
{
    size_t total = _blank ? softBreak() : 0;
    return total + next->flush();
}

} // namespace Orvanta::Filter
