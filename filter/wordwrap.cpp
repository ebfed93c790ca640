#include "filter/wordwrap.h"

#include <cctype>

namespace Orvanta::Filter {

namespace {
const char* const whitespace = " \r\n\t";
}

WordWrap::WordWrap(const BufferSize& limits, const BufferSize& position, Result* next)
    : LineLength(&_until), _encoder(next, limits, position), _until(&_encoder, whitespace) {}

BufferSize WordWrap::size() const {
    const BufferSize& line = _encoder.line();
    const std::string& word = _until.word();
    size_t skip = 0;
    while (skip < word.size() && std::isspace(static_cast<unsigned char>(word[skip])))
        ++skip;
    if (_until.wordSize().bytes() == 0 || skip == word.size()) return line;
    size_t bytes = word.size() - skip;
    size_t characters = countCharacters(word.data() + skip, bytes);
    // The word follows a space on this line, or leads a folded line after
    // its space.
    if (line.characters() + characters < _encoder.limits().characters())
        return BufferSize(line.bytes() + bytes + 1, line.characters() + characters + 1);
    return BufferSize(bytes + 1, characters + 1);
}

size_t WordWrap::keep(const char* data, size_t size) {
    // counted when the word goes out, as every held word is
    _until.hold(data, size);
    return 0;
}

size_t WordWrap::Encoder::process(const char* word, size_t size, bool persistent) {
    // the splitter hands on the empty stretches between two blanks too
    if (size == 0) return 0;
    size_t characters = countCharacters(word, size);
    size_t limit = _limits.characters();
    size_t total = 0;
    bool fits =
        _first ? _line.characters() + characters <= limit : _line.characters() + characters + 1 <= limit;
    if (fits && !_first) {
        total += next->append(" ", 1, true);
        _line.add(1, 1);
    } else if (!fits && _line.bytes() != 0) {
        // With nothing on the line yet a fold would only leave it empty: an
        // overlong word then simply runs past the limit where it stands.
        total += next->append("\r\n ", 3, true);
        _line = BufferSize(1, 1);
    }
    total += next->append(word, size, persistent);
    _line.add(size, characters);
    _first = false;
    return total;
}

} // namespace Orvanta::Filter
