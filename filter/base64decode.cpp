#include "filter/base64decode.h"

#include <array>

namespace Orvanta::Filter {

namespace {

// A character outside the alphabet: any of the high byte's bits.
constexpr uint32_t invalid = 0xff000000u;

// The value of each base64 digit moved to its place in a group of four
// (shift 18, 12, 6 or 0), or `invalid`; "=" is handled on its own.
constexpr std::array<uint32_t, 256> digitTable(int shift) {
    std::array<uint32_t, 256> table{};
    for (auto& entry : table)
        entry = invalid;
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (uint32_t value = 0; value < 64; ++value)
        table[static_cast<unsigned char>(alphabet[value])] = value << shift;
    return table;
}

constexpr std::array<uint32_t, 256> place0 = digitTable(18);
constexpr std::array<uint32_t, 256> place1 = digitTable(12);
constexpr std::array<uint32_t, 256> place2 = digitTable(6);
constexpr std::array<uint32_t, 256> place3 = digitTable(0);

// Collects decoded bytes and pushes them in large slices.
class Output {
public:
    explicit Output(Result* next) : _next(next) {}

    void byte(char c) {
        if (_filled == sizeof _buffer) push();
        _buffer[_filled++] = c;
    }
    void three(uint32_t group) {
        if (_filled + 3 > sizeof _buffer) push();
        _buffer[_filled] = static_cast<char>(group >> 16);
        _buffer[_filled + 1] = static_cast<char>(group >> 8);
        _buffer[_filled + 2] = static_cast<char>(group);
        _filled += 3;
    }
    size_t push() {
        if (_filled > 0) _total += _next->append(_buffer, _filled, false);
        _filled = 0;
        return _total;
    }

private:
    Result* _next;
    size_t _total = 0;
    size_t _filled = 0;
    char _buffer[16383]; // a multiple of three
};

} // namespace

Base64Decode::Base64Decode([[maybe_unused]] bool lines, Result* next) : Filter(next) {}

Base64Decode::~Base64Decode() {
    try {
        finish();
    } catch (...) {
        // Destructors never throw; the next stage's failure has no one to
        // go to here.
    }
}

size_t Base64Decode::finish() {
    if (_ended) return 0;
    _ended = true;
    return finishGroup();
}

size_t Base64Decode::finishGroup() {
    // Two digits hold one byte, three hold two; a lone digit holds none.
    char bytes[2];
    size_t count = 0;
    if (_digits == 2) {
        bytes[count++] = static_cast<char>(_bits >> 4);
    } else if (_digits == 3) {
        bytes[count++] = static_cast<char>(_bits >> 10);
        bytes[count++] = static_cast<char>(_bits >> 2);
    }
    _digits = 0;
    _bits = 0;
    return count > 0 ? next->append(bytes, count, false) : 0;
}

size_t Base64Decode::process(const char* data, size_t size, bool) {
    if (_ended || size == 0) return 0;
    auto in = reinterpret_cast<const unsigned char*>(data);
    Output out(next);
    size_t i = 0;
    while (i < size) {
        // Whole groups of four digits at a group boundary: the common case,
        // a table lookup per character and one test per group.
        if (_digits == 0) {
            while (i + 4 <= size) {
                uint32_t group = place0[in[i]] | place1[in[i + 1]] | place2[in[i + 2]] | place3[in[i + 3]];
                if ((group & invalid) != 0) break;
                out.three(group);
                i += 4;
            }
            if (i == size) break;
        }
        // One character at a time around anything else.
        unsigned char c = in[i++];
        uint32_t value = place3[c];
        if ((value & invalid) == 0) {
            _bits = _bits << 6 | value;
            if (++_digits == 4) {
                out.three(_bits);
                _digits = 0;
                _bits = 0;
            }
            continue;
        }
        if (c != '=') continue; // outside the alphabet: skipped
        // Padding ends the data (RFC 2045) wherever it stands: the bytes the
        // digits before it hold come out, and nothing is made up from the
        // "=" or from what follows it.
        _ended = true;
        size_t total = out.push();
        return total + finishGroup();
    }
    return out.push();
}

} // namespace Orvanta::Filter
