#include "filter/bufferuntil.h"

namespace Orvanta::Filter {

BufferUntil::BufferUntil(Result* next, const char* delimiters)
    : Filter(next), _delimiters(ByteSet::terminated(delimiters)) {}

BufferUntil::~BufferUntil() {
    flush();
}

size_t BufferUntil::pushWord() {
    size_t total = next->append(_word.data(), _word.size(), false);
    _word.clear();
    _wordSize = BufferSize();
    return total;
}

size_t BufferUntil::process(const char* data, size_t size, bool persistent) {
    size_t total = 0;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (!_delimiters.contains(data[i])) continue;
        if (_wordSize.bytes() != 0) {
            _word.append(data + start, i - start);
            total += pushWord();
        } else {
            total += next->append(data + start, i - start, persistent);
        }
        start = i + 1;
    }
    _word.append(data + start, size - start);
    _wordSize.add(size - start, countCharacters(data + start, size - start));
    return total;
}

void BufferUntil::hold(const char* data, size_t size) {
    _word.append(data, size);
    _wordSize.add(size, countCharacters(data, size));
}

size_t BufferUntil::flush() {
    size_t total = _wordSize.bytes() != 0 ? pushWord() : 0;
    return total + next->flush();
}

} // namespace Orvanta::Filter
