#include "dns/resolver/resolvconf.h"

#include "dns/resolver/localdomain.h"
#include "dns/resolver/textfile.h"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <strings.h>

namespace DNS {

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// atoi bounded to [low, high]; a value beyond int's range counts as its sign's end
long bounded(const char* text, long low, long high) {
    long value = std::strtol(text, nullptr, 10);
    return value < low ? low : value > high ? high : value;
}

} // namespace

ResolvConf::ResolvConf(const char* path, bool strict) {
    parse(readTextFile(path), path, strict);
}

ResolvConf::ResolvConf(const std::string& text, const char* path, bool strict) {
    parse(text, path, strict);
}

void ResolvConf::parse(const std::string& text, const char* path, bool strict) {
    std::istringstream lines(text);
    std::string current;
    while (std::getline(lines, current)) {
        while (!current.empty() && blank(current.back()))
            current.pop_back();
        if (current.empty() || current[0] == ';' || current[0] == '#') continue;
        try {
            line(current);
        } catch (const std::runtime_error& error) {
            if (strict) throw std::runtime_error(std::string(path) + ": " + error.what());
        }
    }
    if (_searchpaths.empty()) {
        std::string domain(static_cast<const char*>(LocalDomain()));
        if (!domain.empty()) _searchpaths.push_back(domain);
    }
}

void ResolvConf::line(const std::string& line) {
    static const char* const keywords[] = {"nameserver", "options", "domain", "search"};
    for (const char* keyword : keywords) {
        size_t length = std::strlen(keyword);
        if (line.size() <= length || strncasecmp(line.c_str(), keyword, length) != 0 || !blank(line[length]))
            continue;
        size_t start = line.find_first_not_of(" \t\r\n\f\v", length);
        std::string argument = start == std::string::npos ? std::string() : line.substr(start);
        if (keyword[0] == 'n') {
            // The address is the first word: a comment, or a second address,
            // after it is not read, as other resolvers read the line.
            _nameservers.emplace_back(argument.substr(0, argument.find_first_of(" \t\r\n\f\v")).c_str());
        } else if (keyword[0] == 'o') {
            // options are separated by spaces or tabs, like every word of the file
            std::istringstream pieces(argument);
            for (std::string piece; pieces >> piece;)
                option(piece);
        } else if (keyword[0] == 'd') {
            throw std::runtime_error("not implemented: domain " + argument);
        } else {
            std::istringstream words(argument);
            std::vector<std::string> list;
            for (std::string word; words >> word;)
                list.push_back(word);
            _searchpaths = std::move(list);
        }
        return;
    }
    throw std::runtime_error("unrecognized: " + line);
}

void ResolvConf::option(const std::string& option) {
    // A negative or zero time-out would make a lookup give up at once or
    // never; values are kept within what makes sense.
    if (option == "rotate") {
        _rotate = true;
    } else if (option.compare(0, 8, "timeout:") == 0) {
        _timeout = unsigned(bounded(option.c_str() + 8, 1, 30));
    } else if (option.compare(0, 9, "attempts:") == 0) {
        _attempts = unsigned(bounded(option.c_str() + 9, 1, 5));
    } else if (option.compare(0, 6, "ndots:") == 0) {
        _ndots = uint8_t(bounded(option.c_str() + 6, 0, 15));
    }
}

} // namespace DNS
