// Reads the cases that one of this folder's Python generators prints: one
// case a line, its fields separated by tabs.
#pragma once

#include "testsupport/process.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace Orvanta::Dns::Test {

inline std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        auto end = line.find(separator, start);
        fields.push_back(line.substr(start, end - start));
        if (end == std::string::npos) return fields;
        start = end + 1;
    }
}

// The generator's rows for the seed; a generator that fails throws.
inline std::vector<std::vector<std::string>> generated(const std::string& script, const char* seed) {
    auto result = Orvanta::Test::runProcess({Orvanta::Test::python3(), script, seed});
    if (result.status != 0) throw std::runtime_error("generator failed: " + result.err);
    std::vector<std::vector<std::string>> rows;
    for (auto& line : split(result.out, '\n'))
        if (!line.empty()) rows.push_back(split(line, '\t'));
    return rows;
}

} // namespace Orvanta::Dns::Test
