// The message files of one folder (ORVANTA_BENCH_MESSAGES, by default
// Python's own email test messages), read once, in name order: the corpus
// the MIME benchmarks parse and write.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace Orvanta::Bench {

inline const std::vector<std::string>& messages() {
    static const std::vector<std::string> texts = [] {
        char const* folder = std::getenv("ORVANTA_BENCH_MESSAGES");
        std::string path = folder ? folder : "/usr/lib/python3.11/test/test_email/data";
        std::vector<std::string> names;
        if (DIR* dir = opendir(path.c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name.rfind("msg_", 0) == 0) names.push_back(name);
            }
            closedir(dir);
        }
        if (names.empty()) throw std::runtime_error("no msg_* files in " + path);
        std::sort(names.begin(), names.end());
        std::vector<std::string> result;
        for (auto const& name : names) {
            std::ifstream in(path + "/" + name, std::ios::binary);
            result.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return result;
    }();
    return texts;
}

} // namespace Orvanta::Bench
