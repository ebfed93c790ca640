// The client's options: the configuration file, then the TARVEX_CLIENT_*
// environment variables, then the command line, each overriding the one
// before; and the recipient addresses given as positional arguments.
#pragma once

#include "mime/address.h"
#include "toolbox/options.h"

#include <string>
#include <vector>

class Options {
public:
    // Throws std::runtime_error when a layer cannot be read or a recipient
    // is not an address.
    Options(int argc, const char** argv);
    virtual ~Options() = default;

    // Writes the usage text to standard output.
    static void usage(const char* program);

    // The configuration file read when none is named.
    static const char* defaultConfigFile() { return "/etc/tarvex/client.txt"; }

    const Orvanta::Toolbox::Options& optionSet() const { return _options; }
    std::string get(const char* name, const char* fallback) const { return _options.get(name, fallback); }
    bool contains(const char* name) const { return _options.contains(name); }

    // The positional recipients, in command-line order.
    const std::vector<Orvanta::Mime::Address>& recipients() const { return _recipients; }

private:
    Orvanta::Toolbox::Options _options;
    std::vector<Orvanta::Mime::Address> _recipients;
};
