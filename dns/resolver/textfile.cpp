#include "dns/resolver/textfile.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace DNS {

std::string readTextFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error(std::string(path) + ": failed to open file");
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) throw std::runtime_error(std::string(path) + ": failed to open file");
    return text.str();
}

} // namespace DNS
