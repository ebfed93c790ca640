// Test helper: the message files the MIME tests compare with Python's email
// package: the test messages that ship with Python, and our own.
#pragma once

#include <string>
#include <vector>

namespace Orvanta::Mime::Test {

// Python's msg_*.txt test messages
extern char const* const pythonCorpus;
// our own messages (*.eml beside the tests)
std::string ownCorpus();

// the file names in a folder that start with `prefix` and end with
// `suffix`, sorted
std::vector<std::string> files(std::string const& folder, std::string const& prefix,
                               std::string const& suffix);

std::string readFile(std::string const& path);
void writeFile(std::string const& path, std::string const& bytes);

} // namespace Orvanta::Mime::Test
