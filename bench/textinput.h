// The text a filter benchmark pushes: the file that an environment variable
// names (the scripts make one of the size they measure), or else about 8 MB
// of the given words in an order that is the same on every run.
#pragma once

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace Orvanta::Bench {

inline std::string textInput(const char* variable, std::initializer_list<const char*> words) {
    if (const char* path = std::getenv(variable)) {
        std::ifstream in(path, std::ios::binary);
        if (!in) throw std::runtime_error(std::string("cannot read ") + path);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<const char*> list(words);
    std::mt19937 random(1);
    std::string generated;
    while (generated.size() < (size_t(8) << 20))
        generated += list[random() % list.size()];
    return generated;
}

} // namespace Orvanta::Bench
