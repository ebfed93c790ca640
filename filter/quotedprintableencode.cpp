#include "filter/quotedprintableencode.h"

#include "filter/mimehex.h"

namespace Orvanta::Filter {

QuotedPrintableEncode::QuotedPrintableEncode(Result* next)
    : Filter(&_converter), _worker(next, 76), _converter(&_worker, "\n", 1)
{
}

QuotedPrintableEncode::Worker::~Worker()
{
    if (_blank) softBreak();
}

bool QuotedPrintableEncode::Worker::isPrintable(char byte)
{
    auto value = static_cast<unsigned char>(byte);
    return byte == '\t' || (value >= 0x20 && value < 0x7f && byte != '=');
}

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
    size_t start = 0; // of the pending slice of unchanged bytes
    auto pushPending = [&](size_t end) {
        if (end > start) total += next->append(data + start, end - start, persistent);
        start = end;
    };
    for (size_t i = 0; i < size; ++i) {
        char c = data[i];
        if (c == '\n') {
            pushPending(i);
            if (_blank) total += softBreak();
            total += next->append("\r\n", 2, true);
            _column = 0;
            _blank = false;
            start = i + 1;
        } else if (isPrintable(c)) {
            ++_column;
            _blank = c == ' ' || c == '\t';
            if (_column >= _limit - 1) {
                pushPending(i + 1);
                total += softBreak();
            }
        } else {
            pushPending(i);
            MimeHex escape(c);
            if (_column + 3 >= _limit) total += softBreak();
            total += next->append(escape.data(), MimeHex::size(), false);
            _column += 3;
            _blank = false;
            if (_column >= _limit - 1) total += softBreak();
            start = i + 1;
        }
    }
    pushPending(size);
    return total;
}

size_t QuotedPrintableEncode::Worker::flush()
{
    size_t total = _blank ? softBreak() : 0;
    return total + next->flush();
}

} // namespace Orvanta::Filter
