#include "toolbox/options.h"

#include "toolbox/configfile.h"
#include "toolbox/getopt.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace Orvanta::Toolbox {

namespace {

template <typename Add>
void insert(const char** names, Add add) {
    if (names == nullptr) return;
    for (; *names != nullptr; ++names)
        add(*names);
}

std::string variable(const char* prefix, const std::string& name) {
    std::string result = std::string(prefix) + "_" + name;
    for (char& c : result)
        c = c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool flagValue(const std::string& text) {
    return text != "0" && text != "false";
}

} // namespace

Options::Options(const char** values) : Options(values, nullptr) {}

Options::Options(const char** values, const char** flags) {
    insert(values, [this](const char* name) { _values.emplace(name, std::string()); });
    insert(flags, [this](const char* name) { _flags.emplace(name, false); });
}

const std::string& Options::get(const std::string& name) const {
    auto found = _values.find(name);
    return found == _values.end() ? empty : found->second;
}

std::string Options::get(const std::string& name, const std::string& fallback) const {
    if (!contains(name)) return fallback;
    auto found = _values.find(name);
    return found == _values.end() ? fallback : found->second;
}

const std::string& Options::arg(unsigned index) const {
    return index < _arguments.size() ? _arguments[index] : empty;
}

bool Options::parse(int argc, const char** argv) {
    GetOpt getopt(_values, _flags);
    _error.clear();
    opterr = 0;
    // 0 rather than 1: glibc then also forgets the permutation state of an
    // earlier parse instead of only restarting at the first argument.
    optind = 0;
    bool result = true;
    // getopt permutes the array of pointers, never the strings themselves
    char* const* args = const_cast<char* const*>(argv);
    while (true) {
        int index = 0;
        int c = getopt_long_only(argc, args, ":", getopt.descriptors(), &index);
        if (c == -1) break;
        if (c == ':') {
            _error = "Value missing for option";
            result = false;
        } else if (c == '?') {
            _error = "Unrecognized option";
            result = false;
        } else {
            const struct option& found = getopt.descriptors()[index];
            std::string name = found.name;
            if (found.has_arg == no_argument)
                _flags[name] = true;
            else
                _values[name] = optarg;
            _seen.insert(name);
        }
    }
    for (int i = optind; i < argc; ++i)
        _arguments.emplace_back(argv[i]);
    return result;
}

bool Options::parseEnv(const char* prefix) {
    for (auto& entry : _values) {
        const char* text = std::getenv(variable(prefix, entry.first).c_str());
        if (text == nullptr) continue;
        entry.second = text;
        _seen.insert(entry.first);
    }
    for (auto& entry : _flags) {
        const char* text = std::getenv(variable(prefix, entry.first).c_str());
        if (text == nullptr || !flagValue(text)) continue;
        entry.second = true;
        _seen.insert(entry.first);
    }
    return true;
}

bool Options::parse(const std::string& path) {
    try {
        ConfigFile file;
        if (!file.parse(path)) {
            _error = file.error();
            return false;
        }
        for (auto& entry : file.values()) {
            if (_values.count(entry.first) || _flags.count(entry.first)) continue;
            _error = "Unsupported option " + entry.first + " in " + path;
            return false;
        }
        for (auto& entry : _values) {
            if (!file.exists(entry.first)) continue;
            entry.second = file.get(entry.first);
            _seen.insert(entry.first);
        }
        for (auto& entry : _flags) {
            if (!file.exists(entry.first) || !flagValue(file.get(entry.first))) continue;
            entry.second = true;
            _seen.insert(entry.first);
        }
    } catch (const std::runtime_error& failure) {
        _error = failure.what();
        return false;
    }
    _error.clear();
    return true;
}

} // namespace Orvanta::Toolbox
