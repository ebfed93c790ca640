#include "mime/message/emptyline.h"

namespace Orvanta::Mime {

EmptyLine::EmptyLine(const char* data, size_t maximum) : std::runtime_error("Empty line"), _data(data) {
    while (_size < maximum) {
        if (data[_size++] == '\n') break;
    }
}

} // namespace Orvanta::Mime
