#include "app/options.h"

#include "app/plaintext.h"
#include "app/recipient.h"
#include "toolbox/boolean.h"

#include <iostream>
#include <optional>
#include <stdexcept>

namespace {

// Every option takes a value; there are no switches.
const char* options[] = {"rabbitmq-address",   "rabbitmq-outbox", "rabbitmq-compress", "config-file",
                         "extract-recipients", "ignore-dot",      "envelope",          nullptr};

const char* prefix = "tarvex_client";

void loadEnvironment(Orvanta::Toolbox::Options& set) {
    if (!set.parseEnv(prefix)) throw std::runtime_error("Unable to parse environment variable options");
}

void loadCommandLine(Orvanta::Toolbox::Options& set, int argc, const char** argv) {
    if (!set.parse(argc, argv)) throw std::runtime_error("Failed to parse command line arguments");
}

// An address given as an argument or an option value, which no header
// folding explains: a control character anywhere is refused, also inside
// quotes, where the grammar takes a line end for a fold and drops it, so
// that "a\r\nb"@x.example would become another mailbox, ab@x.example. The
// "recipients" and "envelope" headers carry UTF-8 text: bytes that are not
// (an overlong line feed among them) and C1 controls are refused as well.
Orvanta::Mime::Address addressOf(const std::string& text) {
    if (!PlainText::clean(text)) throw std::runtime_error("not UTF-8 text without controls");
    return Orvanta::Mime::Address(text.data(), text.size(), true);
}

std::vector<Orvanta::Mime::Address> recipientsOf(const Orvanta::Toolbox::Options& set) {
    std::vector<Orvanta::Mime::Address> recipients;
    for (unsigned i = 0; i < set.argc(); ++i) {
        const std::string& argument = set.arg(i);
        try {
            Orvanta::Mime::Address address = addressOf(argument);
            // clean as typed, it may still spell a control as an encoded word
            Recipient::text(address);
            recipients.push_back(address);
        } catch (const std::exception&) {
            // the argument as typed tells the user more than the grammar's text
            throw std::runtime_error("Invalid recipient: " + argument);
        }
    }
    return recipients;
}

// A word that is no boolean is a mistake of the user's, not a quiet "false".
bool boolean(const Orvanta::Toolbox::Options& set, const char* name, bool fallback) {
    if (!set.contains(name)) return fallback;
    const std::string& text = set.get(name);
    std::optional<bool> value = Orvanta::Toolbox::Boolean::parse(text);
    if (!value) throw std::runtime_error(std::string("Invalid value for ") + name + ": " + text);
    return *value;
}

AMQP::Address address(const Orvanta::Toolbox::Options& set) {
    const std::string text = set.get("rabbitmq-address", "");
    return AMQP::Address(text.data(), text.size());
}

std::string envelope(const Orvanta::Toolbox::Options& set) {
    std::string text = set.get("envelope", "");
    if (text.empty()) return text;
    try {
        addressOf(text);
    } catch (const std::exception&) {
        // the parser's own wording is not for the user: one text for all
        throw std::runtime_error("Invalid envelope address");
    }
    return text;
}

Settings settingsOf(const Orvanta::Toolbox::Options& set) {
    // in this order, so that the first mistake is the one reported
    AMQP::Address broker = address(set);
    Orvanta::Rabbit::Endpoint outbox(set.get("rabbitmq-outbox", ""));
    bool compress = boolean(set, "rabbitmq-compress", true);
    bool extract = boolean(set, "extract-recipients", false);
    bool ignoreDot = boolean(set, "ignore-dot", false);
    return Settings{broker, outbox, compress, extract, ignoreDot, envelope(set)};
}

} // namespace

Orvanta::Toolbox::Options Options::load(int argc, const char** argv) {
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

    Orvanta::Toolbox::Options set(options);
    // the reason (unreadable, too large, the number of a bad line) follows
    if (!set.parse(path))
        throw std::runtime_error("Failed to parse config file " + path + ": " + set.error());
    loadEnvironment(set);
    loadCommandLine(set, argc, argv);
    return set;
}

Options::Options(int argc, const char** argv)
    : _options(load(argc, argv)), _recipients(recipientsOf(_options)), _settings(settingsOf(_options)) {}

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
