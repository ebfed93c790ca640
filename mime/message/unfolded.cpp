#include "mime/message/unfolded.h"

namespace Orvanta::Mime {

bool unfolded(const std::string& rendered, size_t used, size_t limit) {
    if (rendered.find("  ") == std::string::npos && rendered.find('\t') == std::string::npos) return false;
    if (rendered.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
    return used + rendered.size() + 2 <= limit;
}

} // namespace Orvanta::Mime
