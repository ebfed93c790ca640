#include "filter/linetracker.h"

#include "filter/byteset.h"

namespace Orvanta::Filter {

size_t LineTracker::process(const char* data, size_t size, bool persistent) {
    for (size_t i = 0; i < size; ++i) {
        char byte = data[i];
        // After a line end the counts are 1, not 0.
        if (byte == '\r' || byte == '\n' || byte == '\0')
            _line = BufferSize(1, 1);
        else
            _line.add(1, startsCharacter(byte) ? 1 : 0);
    }
    return next->append(data, size, persistent);
}

} // namespace Orvanta::Filter
