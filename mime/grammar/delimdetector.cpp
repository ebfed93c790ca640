#include "mime/grammar/delimdetector.h"

#include "mime/grammar/ascii.h"

namespace Orvanta::Mime {

size_t DelimDetector::parse(const char* data, size_t size) {
    size_t position = 0;
    bool expecting = true;
    while (position < size) {
        char c = data[position];
        if (c == _delimiter) {
            expecting = true;
            ++position;
        } else if (Ascii::isSpace(c)) {
            ++position;
        } else {
            if (!expecting) break;
            size_t taken = _callback(data + position, size - position);
            if (taken == 0) break;
            position += taken;
            expecting = false;
        }
    }
    _consumed += position;
    return position;
}

} // namespace Orvanta::Mime
