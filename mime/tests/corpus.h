// Test helper: the message files the MIME tests compare with Python's email
// package: the test messages that ship with Python, and our own.
#pragma once

#include <string>
#include <vector>

namespace Orvanta::Mime::Test {

// Python's msg_*.txt test messages
extern const char* const pythonCorpus;
// our own messages (*.eml beside the tests)
std::string ownCorpus();

// the file names in a folder that start with `prefix` and end with
// `suffix`, sorted
std::vector<std::string> files(const std::string& folder, const std::string& prefix,
                               const std::string& suffix);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

} // namespace Orvanta::Mime::Test
