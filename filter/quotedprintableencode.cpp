#include "filter/quotedprintableencode.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace Orvanta::Filter {

QuotedPrintableEncode::QuotedPrintableEncode(Result* next) : Filter(&_worker), _worker(next, 76) {}

QuotedPrintableEncode::Worker::~Worker() {
    if (_cr) loneCr();
    if (_blank) softBreak();
}

namespace {

constexpr std::array<bool, 256> buildPrintable() {
    std::array<bool, 256> table{};
    for (int c = 0x20; c < 0x7f; ++c)
        table[c] = c != '=';
    table['\t'] = true;
    return table;
}

constexpr std::array<bool, 256> printable = buildPrintable();

// Whether eight bytes are all printable ASCII other than "=", tested at
// once; a tab, which is printable too, sends the caller to the table.
inline bool printableWord(const unsigned char* bytes) {
    constexpr uint64_t ones = 0x0101010101010101u;
    constexpr uint64_t highs = ones * 0x80;
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    uint64_t bad = word & highs;                 // 0x80 and up
    bad |= (word - ones * 0x20) & ~word & highs; // below the space
    uint64_t equals = word ^ (ones * '=');
    bad |= (equals - ones) & ~equals & highs; // "="
    uint64_t del = word ^ (ones * 0x7f);
    bad |= (del - ones) & ~del & highs; // DEL
    return bad == 0;
}

// Unchanged runs at least this long go on as slices of the input; shorter
// ones are copied beside the escapes, so that text with many escapes does
// not cost two pushes for every few bytes.
constexpr size_t longRun = 64;

// Each byte as it is written: itself, or its "=XX" escape; the width is
// the bytes of it that count, 0 for the bytes that end a line.
struct Token {
    char bytes[4];
    unsigned char width;
    bool blank; // a space or a tab
};

constexpr std::array<Token, 256> buildTokens() {
    const char* hex = "0123456789ABCDEF";
    std::array<Token, 256> table{};
    for (int c = 0; c < 256; ++c) {
        if (c == '\r' || c == '\n')
            table[c] = {{0, 0, 0, 0}, 0, false};
        else if (printable[c])
            table[c] = {{static_cast<char>(c), 0, 0, 0}, 1, c == ' ' || c == '\t'};
        else
            table[c] = {{'=', hex[c >> 4], hex[c & 15], 0}, 3, false};
    }
    return table;
}

constexpr std::array<Token, 256> tokens = buildTokens();

// a lone CR, and a "-" at the start of a line
constexpr Token crEscape = {{'=', '0', 'D', 0}, 3, false};
constexpr Token dashEscape = {{'=', '2', 'D', 0}, 3, false};

} // namespace

bool QuotedPrintableEncode::Worker::isPrintable(char byte) {
    return printable[static_cast<unsigned char>(byte)];
}

size_t QuotedPrintableEncode::Worker::softBreak() {
    _column = 0;
    _blank = false;
    return next->append("=\r\n", 3, true);
}

size_t QuotedPrintableEncode::Worker::loneCr() {
    _cr = false;
    size_t total = _column + crEscape.width > _limit - 1 ? softBreak() : 0;
    total += next->append(crEscape.bytes, crEscape.width, true);
    _column += crEscape.width;
    _blank = false;
    if (_column >= _limit - 1) total += softBreak();
    return total;
}

size_t QuotedPrintableEncode::Worker::process(const char* data, size_t size, bool persistent) {
    if (size == 0) return 0;
    auto in = reinterpret_cast<const unsigned char*>(data);
    size_t total = 0;
    size_t i = 0;
    // A CR that ended the last piece: with the LF opening this one it is a
    // line end (written below), else a lone CR.
    bool heldCr = _cr;
    if (_cr && in[0] != '\n') total += loneCr();
    _cr = false;
    // Escapes, soft breaks, line ends and short unchanged runs gather in a
    // buffer of their own; long unchanged runs go on as slices of the input.
    char out[8192];
    size_t used = 0;
    // Working copies: stores through the input's char pointer could alias
    // the members and would force a reload for every byte.
    unsigned column = _column;
    bool blank = _blank;
    const unsigned last = _limit - 1; // the column that takes a soft break
    auto flushOut = [&] {
        if (used > 0) total += next->append(out, used, false);
        used = 0;
    };
    // Writes without a bounds check: every round of the loop below starts
    // with room for what its at most `longRun` bytes can become.
    auto softBreak = [&] {
        std::memcpy(out + used, "=\r\n", 3);
        used += 3;
        column = 0;
        blank = false;
    };
    auto lineEnd = [&] {
        if (blank) softBreak();
        std::memcpy(out + used, "\r\n", 2);
        used += 2;
        column = 0;
        blank = false;
    };
    auto put = [&](const Token& token) {
        // an escape must not be cut by the soft break
        if (column + token.width > last) softBreak();
        const Token& written = column == 0 && token.bytes[0] == '-' ? dashEscape : token;
        std::memcpy(out + used, written.bytes, 4);
        used += written.width;
        column += written.width;
        blank = written.blank;
        if (column >= last) softBreak();
    };
    // The LF of a CR LF cut between two pieces: its line end is written.
    if (heldCr && in[0] == '\n') {
        lineEnd();
        i = 1;
    }
    while (i < size) {
        if (used > sizeof out - 16 * longRun) flushOut();
        // A long run of bytes written unchanged, at most up to the column
        // that takes a soft break, found eight bytes at a time. The column
        // is always below that one here. A "-" that would open a line is
        // left to the escapes.
        size_t end = i + (last - column) < size ? i + (last - column) : size;
        size_t run = i;
        if (!(column == 0 && in[i] == '-'))
            while (run + 8 <= end && printableWord(in + run))
                run += 8;
        if (run - i >= longRun) {
            while (run < end && printable[in[run]])
                ++run;
            flushOut();
            total += next->append(data + i, run - i, persistent);
            column += static_cast<unsigned>(run - i);
            blank = in[run - 1] == ' ' || in[run - 1] == '\t';
            i = run;
            if (column >= last) softBreak();
            continue;
        }
        // Otherwise a byte at a time, each written as its token.
        size_t stop = size - i < longRun ? size : i + longRun;
        for (; i < stop; ++i) {
            unsigned char c = in[i];
            const Token& token = tokens[c];
            if (token.width != 0) {
                put(token);
            } else if (c == '\n') {
                lineEnd();
            } else if (i + 1 == size) {
                // a CR at the end of the piece: decided by the next one
                _cr = true;
            } else if (in[i + 1] == '\n') {
                lineEnd();
                ++i;
            } else {
                put(crEscape);
            }
        }
    }
    flushOut();
    _column = column;
    _blank = blank;
    return total;
}

size_t QuotedPrintableEncode::Worker::flush() {
    size_t total = _cr ? loneCr() : 0;
    total += _blank ? softBreak() : 0;
    return total + next->flush();
}

} // namespace Orvanta::Filter
