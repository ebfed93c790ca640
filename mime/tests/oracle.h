// Test helper: asks Python's email package (tests/oracle.py) about many
// inputs in one run of the interpreter.
#pragma once

#include <string>
#include <vector>

namespace Orvanta::Mime::Test {

using Request = std::vector<std::string>;  // kind, then arguments
using Answer = std::vector<std::string>;

// one answer per request, in order; fails the test when Python cannot run
std::vector<Answer> ask(std::vector<Request> const& requests);

} // namespace Orvanta::Mime::Test
