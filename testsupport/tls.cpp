#include "testsupport/tls.h"

#include "testsupport/process.h"

#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <stdexcept>

namespace Orvanta::Test {

namespace {

const char* libssl = "libssl.so.3";

std::string brokerDir() {
    const char* dir = std::getenv("ORVANTA_BROKER_DIR");
    if (!dir) throw std::runtime_error("ORVANTA_BROKER_DIR is not set: run this test through ctest");
    return dir;
}

} // namespace

const std::string& certificates() {
    static const std::string dir = [] {
        std::string made = scratchDir("certificates");
        ProcessResult result = runProcess({std::string(ORVANTA_SOURCE_DIR) + "/scripts/testcerts", made});
        if (result.status != 0) throw std::runtime_error("scripts/testcerts failed: " + result.err);
        return made;
    }();
    return dir;
}

std::string brokerTlsAddress() {
    std::string file = brokerDir() + "/tls-address";
    std::ifstream in(file);
    std::string address;
    if (!(in >> address) || address.empty())
        throw std::runtime_error("the private broker has no TLS listener (no address in " + file + ")");
    return address;
}

std::string brokerTlsDir() {
    return brokerDir() + "/tls";
}

void preloadLibssl() {
    if (dlopen(libssl, RTLD_NOW | RTLD_GLOBAL) == nullptr)
        throw std::runtime_error(std::string("cannot load ") + libssl + ": " + dlerror());
}

std::vector<std::string> libsslEnvironment(Libssl library) {
    // AddressSanitizer wants its runtime first among the preloaded libraries
    std::string asan = "ASAN_OPTIONS=verify_asan_link_order=0";
    if (const char* options = std::getenv("ASAN_OPTIONS")) asan += std::string(":") + options;
    const char* preload = library == Libssl::lackingPending ? ORVANTA_PARTIAL_LIBSSL
                          : library == Libssl::oldNames     ? ORVANTA_OLD_LIBSSL
                                                            : libssl;
    return {std::string("LD_PRELOAD=") + preload, asan};
}

std::string brokerLog() {
    ProcessResult result = runProcess({"sh", "-c", "cat \"$0\"/log/*.log", brokerDir()});
    return result.out;
}

TlsPeer::TlsPeer(const std::string& certificate, const std::string& mode) {
    const std::string& dir = certificates();
    std::string command = std::string(python3()) + " " ORVANTA_SOURCE_DIR "/amqp/tests/tlspeer.py " + dir +
                          "/" + certificate + ".pem " + dir + "/" + certificate + ".key " + mode;
    _pipe = popen(command.c_str(), "r");
    char line[32];
    if (_pipe == nullptr || !fgets(line, sizeof line, _pipe))
        throw std::runtime_error("the TLS peer did not start");
    _port = std::atoi(line);
}

TlsPeer::~TlsPeer() {
    if (_pipe) pclose(_pipe);
}

std::string TlsPeer::report() {
    std::string out;
    char buffer[256];
    while (_pipe && fgets(buffer, sizeof buffer, _pipe))
        out += buffer;
    if (_pipe) pclose(_pipe);
    _pipe = nullptr;
    return out;
}

} // namespace Orvanta::Test
