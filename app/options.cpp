#include "app/options.h"

#include <iostream>
#include <stdexcept>

namespace {

// Every option takes a value; there are no switches.
const char* options[] = {"rabbitmq-address", "rabbitmq-outbox", "rabbitmq-compress", "config-file",
                         "extract-recipients", "ignore-dot", "envelope", nullptr};

const char* prefix = "tarvex_client";

void loadEnvironment(Orvanta::Toolbox::Options& set) {
    if (!set.parseEnv(prefix)) throw std::runtime_error("Unable to parse environment variable options");
}

void loadCommandLine(Orvanta::Toolbox::Options& set, int argc, const char** argv) {
    if (!set.parse(argc, argv)) throw std::runtime_error("Failed to parse command line arguments");
}

} // namespace

Options::Options(int argc, const char** argv) : _options(options) {
    // Which file to read is known only from the later layers: a first pass
    // over them finds it; a "config-file" line in the file itself does not
    // count.
    std::string path = defaultConfigFile();
    {
        Orvanta::Toolbox::Options preliminary(options);
        loadEnvironment(preliminary);
        loadCommandLine(preliminary, argc, argv);
        if (preliminary.contains("config-file")) path = preliminary.get("config-file");
    }

    if (!_options.parse(path)) throw std::runtime_error("Failed to parse config file " + path);
    loadEnvironment(_options);
    loadCommandLine(_options, argc, argv);

    for (unsigned i = 0; i < _options.argc(); ++i) {
        const std::string& argument = _options.arg(i);
        try {
            _recipients.emplace_back(argument.data(), argument.size(), true);
        } catch (const std::exception&) {
            // the argument as typed tells the user more than the grammar's text
            throw std::runtime_error("Invalid recipient: " + argument);
        }
    }
}

void Options::usage(const char* program) {
    std::cout << std::endl;
    // a null name would put the stream in a failed state and lose the rest
    std::cout << "Usage: " << (program ? program : "") << " [options]" << std::endl;
    std::cout << std::endl;
    std::cout << "   RabbitMQ options" << std::endl;
    std::cout << "       --rabbitmq-address <amqp://address>" << std::endl;
    std::cout << "       --rabbitmq-outbox <exchange:routingkey>" << std::endl;
    std::cout << "       --rabbitmq-compress <true|false>" << std::endl;
    std::cout << "   Parsing options" << std::endl;
    std::cout << "       --extract-recipients" << std::endl;
    std::cout << "       --ignore-dot" << std::endl;
    std::cout << "       --envelope <envelope>" << std::endl;
    std::cout << "   Other options" << std::endl;
    std::cout << "       --config-file <config file>" << std::endl;
    std::cout << std::endl;
    std::cout << "   Defaults are loaded from " << defaultConfigFile() << std::endl;
    std::cout << std::endl;
}
