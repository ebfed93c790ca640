#include "mime/tests/oracle.h"

#include "testsupport/hex.h"
#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <sstream>

namespace Orvanta::Mime::Test {

using Orvanta::Test::hex;
using Orvanta::Test::unhex;

std::vector<Answer> ask(const std::vector<Request>& requests) {
    return ask(requests, "oracle.py");
}

std::vector<Answer> ask(const std::vector<Request>& requests, const char* script) {
    return ask(requests, {Orvanta::Test::python3(), std::string(ORVANTA_SOURCE_DIR "/mime/tests/") + script});
}

std::vector<Answer> ask(const std::vector<Request>& requests, const std::vector<std::string>& command) {
    std::string input;
    for (const auto& request : requests) {
        for (size_t i = 0; i < request.size(); ++i)
            input += (i ? "\t" : "") + hex(request[i]);
        input += '\n';
    }
    auto result = Orvanta::Test::runProcess(command, input);
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<Answer> answers;
    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line)) {
        Answer answer;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            answer.push_back(unhex(line.substr(start, tab - start)));
        answer.push_back(unhex(line.substr(start)));
        answers.push_back(answer);
    }
    EXPECT_EQ(answers.size(), requests.size());
    answers.resize(requests.size());
    return answers;
}

} // namespace Orvanta::Mime::Test
