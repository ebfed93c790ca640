#include "app/options.h"

#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Sets environment variables for one test and removes them afterwards.
class Environment {
public:
    Environment() {
        // whatever the calling shell had must not leak into the layers
        for (const char* name : names)
            unsetenv(name);
    }
    ~Environment() {
        for (const char* name : names)
            unsetenv(name);
    }
    void set(const char* name, const char* value) { setenv(name, value, 1); }

private:
    static constexpr const char* names[] = {"TARVEX_CLIENT_RABBITMQ_ADDRESS",
                                            "TARVEX_CLIENT_RABBITMQ_OUTBOX",
                                            "TARVEX_CLIENT_RABBITMQ_COMPRESS",
                                            "TARVEX_CLIENT_CONFIG_FILE",
                                            "TARVEX_CLIENT_EXTRACT_RECIPIENTS",
                                            "TARVEX_CLIENT_IGNORE_DOT",
                                            "TARVEX_CLIENT_ENVELOPE"};
};

std::string file(const std::string& name, const std::string& content) {
    static const std::string folder = Orvanta::Test::scratchDir("options");
    std::string path = folder + "/" + name;
    std::ofstream(path) << content;
    return path;
}

Options load(std::vector<std::string> args) {
    args.insert(args.begin(), "tarvex-client");
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    return Options(static_cast<int>(args.size()), argv.data());
}

std::string failure(std::vector<std::string> args) {
    try {
        load(std::move(args));
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "No failure";
}

const std::string broker = "rabbitmq-address=amqp://broker/\n";

} // namespace

TEST(Options, EachLayerOverridesTheOneBefore) {
    Environment environment;
    std::string path = file("layers.txt", "rabbitmq-outbox = file:key\n"
                                          "rabbitmq-address: amqp://file/\n"
                                          "envelope=file@example.org\n");
    Options fileOnly = load({"--config-file", path});
    EXPECT_EQ(fileOnly.get("rabbitmq-outbox", ""), "file:key");

    environment.set("TARVEX_CLIENT_RABBITMQ_OUTBOX", "env:key");
    environment.set("TARVEX_CLIENT_ENVELOPE", "env@example.org");
    Options withEnv = load({"--config-file", path, "--envelope=args@example.org"});
    EXPECT_EQ(withEnv.get("rabbitmq-outbox", ""), "env:key");
    EXPECT_EQ(withEnv.get("envelope", ""), "args@example.org");
    EXPECT_EQ(withEnv.get("rabbitmq-address", ""), "amqp://file/");
    // an option nobody set takes the reader's default
    EXPECT_FALSE(withEnv.contains("ignore-dot"));
    EXPECT_EQ(withEnv.get("ignore-dot", "no"), "no");
}

TEST(Options, TheFileToReadComesFromTheEnvironmentOrTheCommandLine) {
    Environment environment;
    std::string fromEnv = file("env.txt", "rabbitmq-outbox=env-file\n" + broker);
    std::string fromArgs = file("args.txt", "rabbitmq-outbox=args-file\n" + broker);
    // a config-file line inside a file does not lead elsewhere
    std::string pointing =
        file("pointing.txt", "config-file=" + fromArgs + "\nrabbitmq-outbox=pointing\n" + broker);

    environment.set("TARVEX_CLIENT_CONFIG_FILE", fromEnv.c_str());
    EXPECT_EQ(load({}).get("rabbitmq-outbox", ""), "env-file");
    EXPECT_EQ(load({"--config-file=" + fromArgs}).get("rabbitmq-outbox", ""), "args-file");
    EXPECT_EQ(load({"--config-file=" + pointing}).get("rabbitmq-outbox", ""), "pointing");
}

TEST(Options, FailuresOfTheLayers) {
    Environment environment;
    std::string good = file("good.txt", "rabbitmq-compress=no\n");
    EXPECT_EQ(failure({"--config-file=/nonexistent/x.txt"}),
              "Failed to parse config file /nonexistent/x.txt: File /nonexistent/x.txt could not be opened");
    std::string unknown = file("unknown.txt", "colour=blue\n");
    EXPECT_EQ(failure({"--config-file=" + unknown}),
              "Failed to parse config file " + unknown + ": Unsupported option colour in " + unknown);
    EXPECT_EQ(failure({"--config-file=" + good, "--colour=blue"}), "Failed to parse command line arguments");
    EXPECT_EQ(failure({"--config-file=" + good, "--envelope"}), "Failed to parse command line arguments");
}

TEST(Options, PositionalArgumentsAreStrictAddresses) {
    Environment environment;
    std::string path = file("recipients.txt", broker);
    Options options = load({"--config-file", path, "b@example.org", "--ignore-dot=yes", "a@example.org"});
    ASSERT_EQ(options.recipients().size(), 2u);
    EXPECT_EQ(static_cast<std::string>(options.recipients()[0]), "b@example.org");
    EXPECT_EQ(static_cast<std::string>(options.recipients()[1]), "a@example.org");

    EXPECT_EQ(failure({"--config-file", path, "nobody"}), "Invalid recipient: nobody");
    EXPECT_EQ(failure({"--config-file", path, "a@example.org trailing"}),
              "Invalid recipient: a@example.org trailing");
    // the option swallows what follows it as its value, which is no boolean
    EXPECT_EQ(failure({"--config-file", path, "--envelope", "a@example.org"}), "No failure");
    EXPECT_EQ(failure({"--config-file", path, "--ignore-dot", "a@example.org"}),
              "Invalid value for ignore-dot: a@example.org");
}

TEST(Options, Usage) {
    std::stringstream captured;
    std::streambuf* original = std::cout.rdbuf(captured.rdbuf());
    Options::usage("tarvex-client");
    Options::usage(nullptr);
    std::cout.rdbuf(original);
    const std::string body = " [options]\n\n"
                             "   RabbitMQ options\n"
                             "       --rabbitmq-address <amqp://address>\n"
                             "       --rabbitmq-outbox <exchange:routingkey>\n"
                             "       --rabbitmq-compress <true|false>\n"
                             "   Parsing options\n"
                             "       --extract-recipients\n"
                             "       --ignore-dot\n"
                             "       --envelope <envelope>\n"
                             "   Other options\n"
                             "       --config-file <config file>\n\n"
                             "   Defaults are loaded from /etc/tarvex/client.txt\n\n";
    // without a name the rest of the text still comes out
    EXPECT_EQ(captured.str(), "\nUsage: tarvex-client" + body + "\nUsage: " + body);
}

TEST(Options, SettingsAreReadOnceWithTheirDefaults) {
    Environment environment;
    std::string path = file("settings.txt", broker);
    Options plain = load({"--config-file", path});
    const Settings& defaults = plain.settings();
    EXPECT_EQ(defaults.address.hostname(), "broker");
    EXPECT_EQ(defaults.outbox.exchange(), "");
    EXPECT_EQ(defaults.outbox.routingKey(), "");
    EXPECT_TRUE(defaults.compress);
    EXPECT_FALSE(defaults.extractRecipients);
    EXPECT_FALSE(defaults.ignoreDot);
    EXPECT_EQ(defaults.envelope, "");

    environment.set("TARVEX_CLIENT_RABBITMQ_COMPRESS", "");
    Options set = load({"--config-file", path, "--rabbitmq-outbox=x:y:z", "--extract-recipients=ON",
                        "--ignore-dot=1", "--envelope=Bounce@Example.org"});
    const Settings& settings = set.settings();
    EXPECT_EQ(settings.outbox.exchange(), "x");
    EXPECT_EQ(settings.outbox.routingKey(), "y:z");
    // set to nothing counts as set: false
    EXPECT_FALSE(settings.compress);
    EXPECT_TRUE(settings.extractRecipients);
    EXPECT_TRUE(settings.ignoreDot);
    EXPECT_EQ(settings.envelope, "Bounce@Example.org");
}

TEST(Options, ValuesThatDoNotFitTheirOptionAreRefused) {
    Environment environment;
    std::string path = file("values.txt", broker);
    struct Case {
        std::vector<std::string> args;
        std::string error;
    };
    for (const Case& c : std::vector<Case>{
             {{"--rabbitmq-compress=maybe"}, "Invalid value for rabbitmq-compress: maybe"},
             {{"--extract-recipients=y"}, "Invalid value for extract-recipients: y"},
             {{"--ignore-dot=1x"}, "Invalid value for ignore-dot: 1x"},
             {{"--rabbitmq-address=http://x/"}, "AMQP address should start with \"amqp://\" or \"amqps://\""},
             {{"--rabbitmq-address=amqp://h/" + std::string(256, 'v')},
              "AMQP address has a vhost longer than 255 bytes"},
             {{"--rabbitmq-outbox=" + std::string(256, 'x') + ":key"},
              "Outbox exchange is longer than 255 bytes"},
             {{"--envelope=not an address"}, "Invalid envelope address"},
         }) {
        std::vector<std::string> args{"--config-file", path};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(failure(args), c.error) << c.args[0].substr(0, 40);
    }
    environment.set("TARVEX_CLIENT_IGNORE_DOT", "sometimes");
    EXPECT_EQ(failure({"--config-file", path}), "Invalid value for ignore-dot: sometimes");
}
