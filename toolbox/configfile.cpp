#include "toolbox/configfile.h"

#include "toolbox/configline.h"

#include <fstream>
#include <stdexcept>
#include <sys/stat.h>

namespace Orvanta::Toolbox {

const std::string empty;

ConfigFile::ConfigFile(const std::string& path) {
    parse(path);
}

const std::string& ConfigFile::get(const std::string& key) const {
    auto found = _values.find(key);
    return found == _values.end() ? empty : found->second;
}

bool ConfigFile::parse(const std::string& path) {
    Map values;
    try {
        if (!read(path, values)) return false;
    } catch (const std::runtime_error& failure) {
        _error = failure.what();
        return false;
    }
    _values.swap(values);
    _error.clear();
    return true;
}

bool ConfigFile::read(const std::string& path, Map& values) {
    const std::string unreadable = "File " + path + " could not be opened";
    // A directory opens as a stream that simply yields nothing; it would read
    // as an empty file, so it is refused like a missing one.
    struct stat info;
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        _error = unreadable;
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        _error = unreadable;
        return false;
    }

    // Read whole, up to a bound: a device or a runaway file (/dev/zero, a
    // log named by mistake) must not grow without limit.
    std::string content;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        content.append(buffer, static_cast<size_t>(in.gcount()));
        if (content.size() > maxSize) {
            _error = "File " + path + " is larger than " + std::to_string(maxSize) + " bytes";
            return false;
        }
    }
    // a read that failed part-way (not the end of the file) leaves a partial map
    if (in.bad()) {
        _error = unreadable;
        return false;
    }

    unsigned number = 1;
    for (size_t begin = 0; begin < content.size(); ++number) {
        size_t end = content.find('\n', begin);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(begin, end - begin);
        begin = end + 1;

        if (!line.empty() && (line[0] == ';' || line[0] == '#')) continue;
        for (char& c : line)
            if (c == '\t') c = ' ';
        auto last = line.find_last_not_of(" \n\r\t");
        if (last == std::string::npos) continue;
        line.erase(last + 1);

        // a NUL would cut the value short wherever it is used as C text
        ConfigLine parsed(line);
        if (!parsed.valid() || line.find('\0') != std::string::npos) {
            _error = "Error on line " + std::to_string(number) + " in " + path;
            return false;
        }
        values[parsed.key()] = parsed.value();
    }
    return true;
}

} // namespace Orvanta::Toolbox
