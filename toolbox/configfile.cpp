#include "toolbox/configfile.h"

#include "toolbox/configline.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

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
    // Opened without waiting: a FIFO would block the open until a writer
    // came. Only a regular file is read; a directory, a device or a FIFO
    // named by mistake is refused at once.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        _error = unreadable;
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        _error = "File " + path + " is not a regular file";
        return false;
    }

    // Read whole, up to a bound: a file that keeps growing (a log named by
    // mistake) must not be read without limit.
    std::string content;
    char buffer[65536];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR) continue;
        // a read that failed part-way would leave a partial map
        if (got < 0) break;
        content.append(buffer, static_cast<size_t>(got));
        if (content.size() > maxSize) break;
    }
    ::close(fd);
    if (got < 0) {
        _error = unreadable;
        return false;
    }
    if (content.size() > maxSize) {
        _error = "File " + path + " is larger than " + std::to_string(maxSize) + " bytes";
        return false;
    }

    // A NUL would cut a value short wherever it is used as C text; in a
    // comment it still tells of a file that is not what it seems.
    size_t nul = content.find('\0');
    if (nul != std::string::npos) {
        size_t line = 1 + static_cast<size_t>(std::count(content.begin(), content.begin() + nul, '\n'));
        _error = "File " + path + " holds a NUL byte on line " + std::to_string(line);
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

        ConfigLine parsed(line);
        if (!parsed.valid()) {
            _error = "Error on line " + std::to_string(number) + " in " + path;
            return false;
        }
        values[parsed.key()] = parsed.value();
    }
    return true;
}

} // namespace Orvanta::Toolbox
