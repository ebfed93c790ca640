// Messages written out under both capability presets and read back by
// Python's email package: a reader must find the same tree, the same decoded
// bodies, header values and addresses in what the encoder wrote as in the
// message it was given. The messages are Python's own test messages and ours
// (8bit and binary parts, UTF-8 headers, long unfolded lines, nested parts).
#include "filter/string.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"
#include "mime/tests/corpus.h"
#include "mime/tests/crlf.h"
#include "mime/tests/transportable.h"
#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace Orvanta::Mime;
namespace T = Orvanta::Mime::Test;

namespace {

struct Message {
    std::string name;
    std::string text;
};

const std::vector<Message>& messages() {
    static const std::vector<Message> all = [] {
        std::vector<Message> result;
        for (auto const& name : T::files(T::pythonCorpus, "msg_", ".txt"))
            result.push_back({name, T::readFile(std::string(T::pythonCorpus) + "/" + name)});
        for (auto const& name : T::files(T::ownCorpus(), "", ".eml"))
            result.push_back({name, T::readFile(T::ownCorpus() + "/" + name)});
        return result;
    }();
    return all;
}

struct Preset {
    const char* name;
    const Capabilities& caps;
};

const Preset presets[] = {{"standard", Capabilities::standard()}, {"utf8", Capabilities::utf8()}};

struct Written {
    bool fixed = false;
    size_t count = 0;
    std::string out;
};

Written write(const std::string& text, const Capabilities& caps) {
    Written written;
    Object object(text.data(), text.size());
    written.fixed = object.fix(caps);
    Orvanta::Filter::String sink(&written.out);
    written.count = object.encode(caps, &sink, true);
    return written;
}

using Orvanta::Mime::Test::transportable;

// Python's view of each file, read in one run
std::map<std::string, std::string> views(const std::vector<std::string>& paths) {
    std::string here = __FILE__;
    std::vector<std::string> argv = {Orvanta::Test::python3(),
                                     here.substr(0, here.rfind('/')) + "/encoded_view.py"};
    argv.insert(argv.end(), paths.begin(), paths.end());
    auto run = Orvanta::Test::runProcess(argv);
    EXPECT_EQ(run.status, 0) << run.err;
    std::map<std::string, std::string> result;
    std::istringstream in(run.out);
    std::string line, current;
    while (std::getline(in, line)) {
        if (line.rfind("=== ", 0) == 0)
            current = line.substr(4);
        else
            result[current] += line + "\n";
    }
    return result;
}

void lines(const Object& object, std::vector<std::string>& out) {
    for (const Line& line : object.header.lines())
        out.push_back(T::crlf(std::string(line.data(), line.size()), true));
    for (const auto& part : object.body.parts())
        lines(*part, out);
}

} // namespace

TEST(EncodeRoundTripTest, CorpusIsThere) {
    ASSERT_GE(T::files(T::pythonCorpus, "msg_", ".txt").size(), 47u)
        << "install the libpython3.11-testsuite package";
    ASSERT_GE(T::files(T::ownCorpus(), "", ".eml").size(), 5u);
}

TEST(EncodeRoundTripTest, ReadersSeeTheSameMessage) {
    std::string dir = Orvanta::Test::scratchDir("encoderoundtrip");
    std::vector<std::string> paths;
    for (size_t i = 0; i < messages().size(); ++i) {
        std::string base = dir + "/" + std::to_string(i);
        T::writeFile(base + ".in", messages()[i].text);
        paths.push_back(base + ".in");
        for (const Preset& preset : presets) {
            T::writeFile(base + "." + preset.name, write(messages()[i].text, preset.caps).out);
            paths.push_back(base + "." + preset.name);
        }
    }
    auto seen = views(paths);
    for (size_t i = 0; i < messages().size(); ++i) {
        const Message& message = messages()[i];
        std::string base = dir + "/" + std::to_string(i);
        for (const Preset& preset : presets)
            EXPECT_EQ(seen[base + "." + preset.name], seen[base + ".in"])
                << message.name << " " << preset.name;
    }
}

TEST(EncodeRoundTripTest, SevenBitTransportGetsSevenBitTextInShortLines) {
    for (const Message& message : messages()) {
        Written written = write(message.text, Capabilities::standard());
        EXPECT_TRUE(written.fixed) << message.name;
        EXPECT_TRUE(transportable(written.out)) << message.name;
        EXPECT_EQ(written.count, written.out.size()) << message.name;
    }
}

TEST(EncodeRoundTripTest, EightBitTransportCopiesEveryHeaderLine) {
    for (const Message& message : messages()) {
        Written written = write(message.text, Capabilities::utf8());
        // copied, a field over the hard limit stays over it, and fix says so
        EXPECT_EQ(written.fixed, message.name != "long-lines.eml") << message.name;
        EXPECT_EQ(written.count, written.out.size()) << message.name;
        Object object(message.text.data(), message.text.size());
        std::vector<std::string> expected;
        lines(object, expected);
        size_t position = 0;
        for (const auto& line : expected) {
            size_t found = written.out.find(line, position);
            ASSERT_NE(found, std::string::npos) << message.name << ": " << line;
            position = found + line.size();
        }
    }
}

TEST(EncodeRoundTripTest, SecondEncodingIsAFixedPoint) {
    for (const Message& message : messages()) {
        for (const Preset& preset : presets) {
            std::string first = write(message.text, preset.caps).out;
            EXPECT_EQ(write(first, preset.caps).out, first) << message.name << " " << preset.name;
        }
    }
}
