// The client's options: the configuration file, then the TARVEX_CLIENT_*
// environment variables, then the command line, each overriding the one
// before; read once into typed settings, with the recipient addresses given
// as positional arguments.
#pragma once

#include "amqp/address.h"
#include "mime/grammar/address.h"
#include "rabbit/endpoint.h"
#include "toolbox/options.h"

#include <string>
#include <vector>

// What the options say, checked and converted once.
struct Settings {
    AMQP::Address address;
    Orvanta::Rabbit::Endpoint outbox;
    bool compress;
    bool extractRecipients;
    bool ignoreDot;
    // the envelope sender as written; empty when none is sent
    std::string envelope;
};

class Options {
public:
    // Throws std::runtime_error when a layer cannot be read, a recipient is
    // not an address, or a value does not fit its option (the broker
    // address, the outbox, a boolean, the envelope address).
    Options(int argc, const char** argv);

    // Writes the usage text to standard output.
    static void usage(const char* program);

    // The configuration file read when none is named.
    static const char* defaultConfigFile() { return "/etc/tarvex/client.txt"; }

    const Orvanta::Toolbox::Options& optionSet() const { return _options; }
    std::string get(const char* name, const char* fallback) const { return _options.get(name, fallback); }
    bool contains(const char* name) const { return _options.contains(name); }

    const Settings& settings() const { return _settings; }

    // The positional recipients, in command-line order.
    const std::vector<Orvanta::Mime::Address>& recipients() const { return _recipients; }

private:
    // reads the layers, then the positional recipients
    static Orvanta::Toolbox::Options load(int argc, const char** argv);

    Orvanta::Toolbox::Options _options;
    std::vector<Orvanta::Mime::Address> _recipients;
    Settings _settings;
};
