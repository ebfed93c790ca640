// A fixed set of named options filled from a configuration file, the
// environment and the command line (each layer overwriting the values of the
// ones applied before it), plus the positional arguments.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace Orvanta::Toolbox {

class Options {
public:
    // Null-terminated lists of names: options that take a value, and flags.
    explicit Options(const char** values);
    Options(const char** values, const char** flags);

    // The command line. Options may stand before, between and after the
    // positional arguments, with one or two dashes, abbreviated to a unique
    // prefix; "--" ends them. getopt may reorder argv in place, and its
    // state is process-wide: no two threads parse at the same time.
    bool parse(int argc, const char** argv);
    // Variables named prefix + "_" + option, upper-cased, "-" turned into "_".
    bool parseEnv(const char* prefix);
    // A configuration file; on failure nothing is changed.
    bool parse(const char* path) { return parse(std::string(path)); }
    bool parse(const std::string& path);

    // Whether some layer set the option (even to the empty value).
    bool contains(const std::string& name) const { return _seen.count(name) != 0; }
    bool contains(const char* name) const { return contains(std::string(name)); }

    // The current value; empty for a name that takes no value.
    const std::string& get(const std::string& name) const;
    const std::string& get(const char* name) const { return get(std::string(name)); }
    // The value when the option was set, else the default.
    std::string get(const std::string& name, const std::string& fallback) const;
    std::string get(const std::string& name, const char* fallback) const {
        return get(name, std::string(fallback));
    }
    std::string get(const char* name, const std::string& fallback) const {
        return get(std::string(name), fallback);
    }
    std::string get(const char* name, const char* fallback) const {
        return get(std::string(name), std::string(fallback));
    }

    unsigned argc() const { return static_cast<unsigned>(_arguments.size()); }
    const std::string& arg(unsigned index) const;

    // Why the last layer failed.
    const std::string& error() const { return _error; }

private:
    std::set<std::string> _seen;
    std::map<std::string, std::string> _values;
    std::map<std::string, bool> _flags;
    std::vector<std::string> _arguments;
    std::string _error;
};

} // namespace Orvanta::Toolbox
