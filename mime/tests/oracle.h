// Test helper: asks Python's email package (tests/oracle.py), or another
// Python peer, about many inputs in one run of the interpreter.
#pragma once

#include <string>
#include <vector>

namespace Orvanta::Mime::Test {

using Request = std::vector<std::string>; // kind, then arguments
using Answer = std::vector<std::string>;

// one answer per request, in order; fails the test when Python cannot run
std::vector<Answer> ask(const std::vector<Request>& requests);
// the same with another Python script of this folder speaking the same
// protocol, or with any command that does
std::vector<Answer> ask(const std::vector<Request>& requests, const char* script);
std::vector<Answer> ask(const std::vector<Request>& requests, const std::vector<std::string>& command);

} // namespace Orvanta::Mime::Test
