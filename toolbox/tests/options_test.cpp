#include "toolbox/options.h"

#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using Orvanta::Toolbox::Options;

namespace {

const char* valueNames[] = {"rabbitmq-address", "rabbitmq-outbox", "envelope", "env", "ignore-dot", nullptr};
const char* flagNames[] = {"verbose", "dry-run", nullptr};

// Runs the command-line layer over a copy of the words (getopt permutes it).
bool parseWords(Options& options, std::vector<const char*> words) {
    words.insert(words.begin(), "program");
    return options.parse(static_cast<int>(words.size()), words.data());
}

std::vector<std::string> arguments(const Options& options) {
    std::vector<std::string> result;
    for (unsigned i = 0; i < options.argc(); ++i)
        result.push_back(options.arg(i));
    return result;
}

class OptionsTest : public testing::Test {
protected:
    ~OptionsTest() override {
        for (auto& name : _variables)
            ::unsetenv(name.c_str());
    }

    void setenv(const std::string& name, const std::string& value) {
        _variables.push_back(name);
        ::setenv(name.c_str(), value.c_str(), 1);
    }

    std::string write(const std::string& text) {
        std::string path = _dir + "/options" + std::to_string(++_count) + ".txt";
        std::ofstream(path) << text;
        return path;
    }

    Options _options{valueNames, flagNames};
    std::vector<std::string> _variables;
    std::string _dir = Orvanta::Test::scratchDir("options");
    int _count = 0;
};

} // namespace

TEST_F(OptionsTest, LayersOverrideInOrder) {
    setenv("ORVTEST_RABBITMQ_OUTBOX", "from-env");
    setenv("ORVTEST_ENVELOPE", "env@example.org");
    ASSERT_TRUE(_options.parse(write("rabbitmq-address = amqp://file/\n"
                                     "rabbitmq-outbox = from-file\n"
                                     "envelope = file@example.org\n")))
        << _options.error();
    ASSERT_TRUE(_options.parseEnv("orvtest"));
    ASSERT_TRUE(parseWords(_options, {"--envelope", "cli@example.org"})) << _options.error();

    EXPECT_EQ(_options.get("rabbitmq-address"), "amqp://file/");
    EXPECT_EQ(_options.get("rabbitmq-outbox"), "from-env");
    EXPECT_EQ(_options.get("envelope"), "cli@example.org");
    EXPECT_FALSE(_options.contains("ignore-dot"));
    EXPECT_EQ(_options.get("ignore-dot", "no"), "no");
}

TEST_F(OptionsTest, ValueForms) {
    ASSERT_TRUE(parseWords(_options, {"-rabbitmq-address", "amqp://one/", "--rabbitmq-outbox=ex:key",
                                      "-envelope=a@b", "--ignore-dot="}))
        << _options.error();
    EXPECT_EQ(_options.get("rabbitmq-address"), "amqp://one/");
    EXPECT_EQ(_options.get("rabbitmq-outbox"), "ex:key");
    EXPECT_EQ(_options.get("envelope"), "a@b");
    // set to the empty text is still set
    EXPECT_TRUE(_options.contains("ignore-dot"));
    EXPECT_EQ(_options.get("ignore-dot", "default"), "");
    EXPECT_EQ(arguments(_options), std::vector<std::string>{});
}

TEST_F(OptionsTest, Abbreviations) {
    ASSERT_TRUE(parseWords(_options, {"--rabbitmq-a", "amqp://x/", "--ig", "yes", "-rabbitmq-o=out"}))
        << _options.error();
    EXPECT_EQ(_options.get("rabbitmq-address"), "amqp://x/");
    EXPECT_EQ(_options.get("ignore-dot"), "yes");
    EXPECT_EQ(_options.get("rabbitmq-outbox"), "out");

    // an exact name wins over the longer names it is a prefix of
    Options exact(valueNames, flagNames);
    ASSERT_TRUE(parseWords(exact, {"--env", "e"})) << exact.error();
    EXPECT_EQ(exact.get("env"), "e");
    EXPECT_FALSE(exact.contains("envelope"));

    // a prefix of two names is refused, whatever they have in common
    for (std::vector<const char*> words :
         {std::vector<const char*>{"--rabbitmq", "x"}, {"--en", "x"}, {"-r=x"}}) {
        Options ambiguous(valueNames, flagNames);
        EXPECT_FALSE(parseWords(ambiguous, words)) << words[0];
        EXPECT_EQ(ambiguous.error(), "Unrecognized option");
        EXPECT_FALSE(ambiguous.contains("rabbitmq-address"));
        EXPECT_FALSE(ambiguous.contains("env"));
    }
}

TEST_F(OptionsTest, PositionalArgumentsAnywhere) {
    ASSERT_TRUE(parseWords(_options, {"first@x", "--envelope=e@x", "second@x", "-rabbitmq-outbox", "o",
                                      "third@x", "--", "--not-an-option", "-"}))
        << _options.error();
    EXPECT_EQ(arguments(_options),
              (std::vector<std::string>{"first@x", "second@x", "third@x", "--not-an-option", "-"}));
    EXPECT_EQ(_options.get("envelope"), "e@x");
    EXPECT_EQ(_options.get("rabbitmq-outbox"), "o");
    EXPECT_EQ(_options.arg(_options.argc()), "");
    EXPECT_EQ(_options.arg(1000), "");

    // a second parse appends its arguments again
    ASSERT_TRUE(parseWords(_options, {"fourth@x"}));
    EXPECT_EQ(_options.argc(), 6u);
    EXPECT_EQ(_options.arg(5), "fourth@x");
}

TEST_F(OptionsTest, ValueOptionTakesTheNextWord) {
    ASSERT_TRUE(parseWords(_options, {"--ignore-dot", "someone@example.org"}));
    EXPECT_EQ(_options.get("ignore-dot"), "someone@example.org");
    EXPECT_EQ(_options.argc(), 0u);
}

TEST_F(OptionsTest, CommandLineFailures) {
    EXPECT_FALSE(parseWords(_options, {"a@x", "--ignore-dot"}));
    EXPECT_EQ(_options.error(), "Value missing for option");
    EXPECT_FALSE(_options.contains("ignore-dot"));

    // an unknown option fails, but the rest of the line is still applied
    Options options(valueNames, flagNames);
    EXPECT_FALSE(parseWords(options, {"--unknown", "x@y", "--envelope", "e", "-q"}));
    EXPECT_EQ(options.error(), "Unrecognized option");
    EXPECT_EQ(options.get("envelope"), "e");
    EXPECT_EQ(arguments(options), std::vector<std::string>{"x@y"});

    // a later successful parse clears the error
    EXPECT_TRUE(parseWords(options, {}));
    EXPECT_EQ(options.error(), "");

    Options flag(valueNames, flagNames);
    EXPECT_FALSE(parseWords(flag, {"--verbose=yes"}));
    EXPECT_EQ(flag.error(), "Unrecognized option");
}

TEST_F(OptionsTest, Flags) {
    ASSERT_TRUE(parseWords(_options, {"-verb", "word"}));
    EXPECT_TRUE(_options.contains("verbose"));
    EXPECT_FALSE(_options.contains("dry-run"));
    EXPECT_EQ(arguments(_options), std::vector<std::string>{"word"});
    // a flag has no value to read
    EXPECT_EQ(_options.get("verbose"), "");
    EXPECT_EQ(_options.get("verbose", "fallback"), "fallback");

    setenv("ORVFLAG_VERBOSE", "0");
    setenv("ORVFLAG_DRY_RUN", "false");
    Options env(valueNames, flagNames);
    EXPECT_TRUE(env.parseEnv("orvflag"));
    EXPECT_FALSE(env.contains("verbose"));
    EXPECT_FALSE(env.contains("dry-run"));
    setenv("ORVFLAG_DRY_RUN", "");
    setenv("ORVFLAG_VERBOSE", "FALSE");
    EXPECT_TRUE(env.parseEnv("orvflag"));
    EXPECT_TRUE(env.contains("verbose"));
    EXPECT_TRUE(env.contains("dry-run"));

    Options file(valueNames, flagNames);
    ASSERT_TRUE(file.parse(write("verbose = false\ndry-run = 0\n")));
    EXPECT_FALSE(file.contains("verbose"));
    EXPECT_FALSE(file.contains("dry-run"));
    ASSERT_TRUE(file.parse(write("verbose = off\ndry-run = no\n")));
    EXPECT_TRUE(file.contains("verbose"));
    EXPECT_TRUE(file.contains("dry-run"));
}

TEST_F(OptionsTest, EnvironmentNames) {
    setenv("ORV_TEST_RABBITMQ_ADDRESS", "amqp://env/");
    setenv("orv_test_envelope", "lower@case");
    setenv("ORV_TEST_IGNORE_DOT", "");
    setenv("ORV_TEST_IGNORE-DOT", "dash");
    EXPECT_TRUE(_options.parseEnv("orv-test"));
    EXPECT_EQ(_options.get("rabbitmq-address"), "amqp://env/");
    EXPECT_FALSE(_options.contains("envelope"));
    EXPECT_TRUE(_options.contains("ignore-dot"));
    EXPECT_EQ(_options.get("ignore-dot", "default"), "");
}

TEST_F(OptionsTest, ConfigurationFileLayer) {
    std::string path = write("envelope = file@x\nzeta = 1\nalpha = 2\n");
    EXPECT_FALSE(_options.parse(path));
    EXPECT_EQ(_options.error(), "Unsupported option alpha in " + path);
    // nothing was applied
    EXPECT_FALSE(_options.contains("envelope"));
    EXPECT_EQ(_options.get("envelope"), "");

    std::string missing = _dir + "/missing.txt";
    EXPECT_FALSE(_options.parse(missing.c_str()));
    EXPECT_EQ(_options.error(), "File " + missing + " could not be opened");

    path = write("envelope = x\nbroken line\n");
    EXPECT_FALSE(_options.parse(path));
    EXPECT_EQ(_options.error(), "Error on line 2 in " + path);
    EXPECT_FALSE(_options.contains("envelope"));

    ASSERT_TRUE(_options.parse(write("envelope = file@x\nenv =\n")));
    EXPECT_EQ(_options.error(), "");
    EXPECT_EQ(_options.get("envelope"), "file@x");
    EXPECT_TRUE(_options.contains("env"));
}

TEST_F(OptionsTest, Lookups) {
    EXPECT_EQ(_options.get("no-such-option"), "");
    EXPECT_EQ(_options.get("no-such-option", "dflt"), "dflt");
    EXPECT_EQ(_options.get(std::string("envelope"), std::string("dflt")), "dflt");
    EXPECT_EQ(_options.get("envelope", std::string("dflt")), "dflt");
    EXPECT_EQ(_options.get(std::string("envelope"), "dflt"), "dflt");
    EXPECT_FALSE(_options.contains("envelope"));
    EXPECT_THROW(_options.get("envelope", static_cast<const char*>(nullptr)), std::logic_error);
    EXPECT_THROW(_options.get(static_cast<const char*>(nullptr), "x"), std::logic_error);

    // options of a list without flags
    const char* only[] = {"one", nullptr};
    Options plain(only);
    EXPECT_FALSE(parseWords(plain, {"--verbose"}));
    EXPECT_TRUE(parseWords(plain, {"--one=1"}));
    EXPECT_EQ(plain.get("one", "x"), "1");
}
