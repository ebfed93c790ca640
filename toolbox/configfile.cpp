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
    std::ifstream in(path);
    if (!in.is_open()) {
        _error = unreadable;
        return false;
    }

    std::string line;
    for (unsigned number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && (line[0] == ';' || line[0] == '#')) continue;
        for (char& c : line)
            if (c == '\t') c = ' ';
        auto last = line.find_last_not_of(" \n\r\t");
        if (last == std::string::npos) continue;
        line.erase(last + 1);

        ConfigLine parsed(line);
        if (!parsed.valid()) {
            _error = "Error on line " + std::to_string(number) + " in " + path;
            return false;
        }
        values[parsed.key()] = parsed.value();
    }
    // a read that failed part-way (not the end of the file) leaves a partial map
    if (in.bad()) {
        _error = unreadable;
        return false;
    }
    return true;
}

} // namespace Orvanta::Toolbox
