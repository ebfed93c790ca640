// Reads a file of "key: value" or "key = value" lines into a map; lines that
// begin with ";" or "#" are comments.
#pragma once

#include <cstddef>
#include <map>
#include <string>

namespace Orvanta::Toolbox {

// What lookups of absent keys return a reference to.
extern const std::string empty;

class ConfigFile {
public:
    using Map = std::map<std::string, std::string>;

    // The largest file read: a configuration is a few lines.
    static constexpr size_t maxSize = 4 << 20;

    ConfigFile() = default;
    // Parses at once; a failure shows only in error().
    explicit ConfigFile(const std::string& path);
    ConfigFile(const ConfigFile&) = default;
    ConfigFile& operator=(const ConfigFile&) = default;

    // Replaces the values with the file's; on failure keeps them, sets error()
    // and returns false.
    bool parse(const std::string& path);

    const std::string& error() const { return _error; }
    const Map& values() const { return _values; }
    bool exists(const std::string& key) const { return _values.count(key) != 0; }
    const std::string& get(const std::string& key) const;
    const std::string& operator[](const std::string& key) const { return get(key); }

private:
    bool read(const std::string& path, Map& values);

    Map _values;
    std::string _error;
};

} // namespace Orvanta::Toolbox
