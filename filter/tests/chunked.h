// Test helpers for filters: feeding input in pieces, recording what reaches
// the sink, and asking Python on this machine for independent answers.
#pragma once

#include "filter/filter.h"
#include "filter/result.h"
#include "filter/string.h"
#include "filter/tests/chunking.h"
#include "filter/tests/recorder.h"
#include "testsupport/hex.h"
#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace Orvanta::Filter::Testing {

using Make = Test::Factory;

using Test::bytewise;
using Test::Recorder;

using Orvanta::Test::hex;
using Orvanta::Test::unhex;

// What a fresh filter writes for the pieces, pushed in order, optionally
// flushed, and then destroyed. The sum of the returned counts must match the
// bytes that reached the sink before the destructor ran.
inline std::string run(const Make& make, const std::vector<std::string>& pieces, bool flush = false) {
    std::string out;
    String sink(&out);
    auto filter = make(&sink);
    size_t reported = 0;
    for (const auto& piece : pieces)
        reported += filter->process(piece.data(), piece.size(), false);
    if (flush) reported += filter->flush();
    EXPECT_EQ(reported, out.size()) << "returned counts disagree with the sink";
    filter.reset();
    return out;
}

inline std::string run(const Make& make, const std::string& input, bool flush = false) {
    return run(make, std::vector<std::string>{input}, flush);
}

// Output for one push equals output for every byte alone and for random cuts.
inline void expectSplitInvariant(const Make& make, const std::string& input, bool flush,
                                 std::mt19937& random) {
    std::string whole = run(make, input, flush);
    EXPECT_EQ(run(make, bytewise(input), flush), whole) << "input: " << input;
    for (int round = 0; round < 5; ++round)
        EXPECT_EQ(run(make, Test::randomCut(input, random, 9), flush), whole) << "input: " << input;
}

inline std::string randomBytes(std::mt19937& random, size_t size, const std::string& alphabet = {}) {
    std::string bytes(size, '\0');
    for (auto& c : bytes) {
        if (alphabet.empty())
            c = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        else
            c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
    }
    return bytes;
}

// Runs `body`, a Python function f(bytes) -> bytes, on each input in one
// child process; inputs and outputs travel as hex lines.
inline std::vector<std::string> pythonMap(const std::string& body, const std::vector<std::string>& inputs) {
    std::string program = "import sys\n" + body +
                          "\nfor line in sys.stdin.read().split('\\n'):\n"
                          "    if not line: continue\n"
                          "    print(f(bytes.fromhex(line[1:])).hex())\n";
    std::string input;
    for (const auto& item : inputs)
        input += "x" + hex(item) + "\n";
    auto result = Orvanta::Test::runProcess({Orvanta::Test::python3(), "-c", program}, input);
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> outputs;
    size_t at = 0;
    while (at < result.out.size()) {
        size_t end = result.out.find('\n', at);
        if (end == std::string::npos) end = result.out.size();
        outputs.push_back(unhex(result.out.substr(at, end - at)));
        at = end + 1;
    }
    EXPECT_EQ(outputs.size(), inputs.size()) << result.err;
    outputs.resize(inputs.size());
    return outputs;
}

} // namespace Orvanta::Filter::Testing
