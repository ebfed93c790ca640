#include "filter/utf7.h"

#include "filter/utf8.h"

namespace Orvanta::Filter {

namespace {

// The characters written as themselves: glibc's sets, which readers of
// mail met long before this one.
bool direct(unsigned char byte, bool imap) {
    if (imap) return byte >= 0x20 && byte <= 0x7e && byte != '&';
    return byte == '\t' || byte == '\n' || byte == '\r' ||
           (byte >= 0x20 && byte <= 0x7d && byte != '+' && byte != '\\');
}

bool sextet(unsigned char byte, bool imap, uint32_t& value) {
    if (byte >= 'A' && byte <= 'Z')
        value = byte - 'A';
    else if (byte >= 'a' && byte <= 'z')
        value = byte - 'a' + 26;
    else if (byte >= '0' && byte <= '9')
        value = byte - '0' + 52;
    else if (byte == '+')
        value = 62;
    else if (byte == (imap ? ',' : '/'))
        value = 63;
    else
        return false;
    return true;
}

bool high(uint32_t unit) {
    return unit >= 0xd800 && unit < 0xdc00;
}

bool low(uint32_t unit) {
    return unit >= 0xdc00 && unit < 0xe000;
}

} // namespace

// Gathers the UTF-8 of one call and hands it on before each mark and at
// the end, so that text and marks keep their order.
class Utf7::Writer {
public:
    explicit Writer(Output& out) : _out(out) {}
    void put(uint32_t codePoint) {
        if (_size > sizeof _buffer - 4) flush();
        _size += Utf8::encode(codePoint, _buffer + _size);
    }
    void invalid() {
        flush();
        _total += _out.invalid();
    }
    size_t done() {
        flush();
        return _total;
    }

private:
    void flush() {
        if (_size > 0) _total += _out.text(_buffer, _size);
        _size = 0;
    }

    Output& _out;
    char _buffer[1024];
    size_t _size = 0;
    size_t _total = 0;
};

size_t Utf7::decode(const char* data, size_t size, Output& out) {
    Writer writer(out);
    const unsigned char shift = _imap ? '&' : '+';
    for (size_t i = 0; i < size; ++i) {
        auto byte = static_cast<unsigned char>(data[i]);
        if (_mode == Mode::shift) {
            if (byte == '-') {
                _mode = Mode::direct;
                writer.put(shift);
                continue;
            }
            _mode = Mode::run;
            uint32_t value;
            if (_strict && !sextet(byte, _imap, value)) {
                writer.invalid();
                _mode = Mode::direct;
                continue;
            }
        }
        if (_mode == Mode::run) {
            uint32_t value;
            if (sextet(byte, _imap, value)) {
                _bits = _bits << 6 | value;
                _count += 6;
                if (_count >= 16) {
                    _count -= 16;
                    unit(_bits >> _count, writer);
                    _bits &= (1u << _count) - 1;
                }
                continue;
            }
            // The run ends. Bits that make no whole unit, or are not zero,
            // and a byte that may not end it are one invalid sequence with
            // the byte and with a high surrogate still waiting; the IMAP
            // form ends a run with "-" only.
            bool bad = byte >= 0x80 || (_imap && byte != '-') || _count >= 6 || _bits != 0;
            if (bad || _high != 0) writer.invalid();
            _mode = Mode::direct;
            _bits = 0;
            _count = 0;
            _high = 0;
            if (bad || byte == '-') continue;
        }
        if (byte == shift)
            _mode = Mode::shift;
        else if (direct(byte, _imap))
            writer.put(byte);
        else
            writer.invalid();
    }
    return writer.done();
}

void Utf7::unit(uint32_t value, Writer& writer) {
    if (_high != 0) {
        uint32_t first = _high;
        _high = 0;
        if (low(value)) {
            writer.put(0x10000 + ((first - 0xd800) << 10) + (value - 0xdc00));
            return;
        }
        writer.invalid();
    }
    if (high(value))
        _high = value;
    else if (low(value))
        writer.invalid();
    else
        writer.put(value);
}

size_t Utf7::finish(Output& out) {
    bool cut = _mode == Mode::shift || _high != 0 ||
               (_strict && _mode == Mode::run && (_imap || _count >= 6 || _bits != 0));
    _mode = Mode::direct;
    _bits = 0;
    _count = 0;
    _high = 0;
    return cut ? out.invalid() : 0;
}

} // namespace Orvanta::Filter
