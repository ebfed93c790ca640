#include "testsupport/broker.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace Orvanta::Test {

namespace {

std::string brokerDir() {
    const char* dir = std::getenv("ORVANTA_BROKER_DIR");
    if (!dir) throw std::runtime_error("ORVANTA_BROKER_DIR is not set: run this test through ctest");
    return dir;
}

} // namespace

std::string brokerAddress() {
    std::string file = brokerDir() + "/address";
    std::ifstream in(file);
    std::string address;
    if (!(in >> address) || address.empty())
        throw std::runtime_error(std::string("the private broker is not running (no address in ") + file +
                                 ")");
    return address;
}

int brokerPort() {
    std::string address = brokerAddress();
    auto colon = address.rfind(':');
    return std::atoi(address.c_str() + colon + 1);
}

ProcessResult brokerCtl(const std::vector<std::string>& args) {
    std::vector<std::string> argv{std::string(ORVANTA_SOURCE_DIR) + "/scripts/broker", "ctl", brokerDir()};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv);
}

ProcessResult amqpTool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{python3(), std::string(ORVANTA_SOURCE_DIR) + "/testsupport/amqp_tool.py",
                                  brokerAddress()};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv);
}

} // namespace Orvanta::Test
