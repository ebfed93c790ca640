// Reads a whole configuration file into memory.
#pragma once

#include <string>

namespace DNS {

// std::runtime_error path + ": failed to open file" when it cannot be read
std::string readTextFile(const char* path);

} // namespace DNS
