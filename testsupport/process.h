// Runs a child process with given standard input and collects what it
// prints: the tests use other programs on this machine as oracles.
#pragma once

#include <string>
#include <vector>

namespace Orvanta::Test {

struct ProcessResult {
    // exit status, or 128 + the signal number when a signal ended the child
    int status = -1;
    std::string out;
    std::string err;
};

// argv[0] is looked up on PATH; extraEnv entries ("NAME=value") are added to
// the current environment, replacing variables of the same name.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input = {},
                         const std::vector<std::string>& extraEnv = {});

// The interpreter that has Debian's python modules (pika, dkim).
inline const char* python3() {
    return "/usr/bin/python3";
}

// A fresh folder below the build tree's Testing folder, removed by nobody:
// tests that need files keep them there for a post-mortem.
std::string scratchDir(const std::string& name);

} // namespace Orvanta::Test
