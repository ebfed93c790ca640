#include "filter/buffersize.h"

#include "filter/byteset.h"

namespace Orvanta::Filter {

size_t countCharacters(const char* data, size_t size) {
    size_t count = 0;
    for (size_t i = 0; i < size; ++i)
        count += startsCharacter(data[i]) ? 1 : 0;
    return count;
}

} // namespace Orvanta::Filter
