// Feeds arbitrary bytes to the configuration line matcher, once as one line
// and once as a whole configuration file, checking what an accepted line
// must satisfy.
#include "toolbox/configfile.h"
#include "toolbox/configline.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// One file for the whole run, removed when the process ends.
struct ScratchFile {
    ScratchFile() {
        char name[] = "/tmp/toolbox_configline.XXXXXX";
        int fd = ::mkstemp(name);
        check(fd >= 0);
        ::close(fd);
        path = name;
    }
    ~ScratchFile() { ::unlink(path.c_str()); }
    std::string path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    Orvanta::Toolbox::ConfigLine parsed(line);
    if (parsed.valid()) {
        check(parsed.key().find_first_of(" :=") == std::string::npos);
        check(parsed.value().find_first_of("\r\n") == std::string::npos);
        check(parsed.key().size() + parsed.value().size() < size);
    }

    static const ScratchFile scratch;
    const std::string& path = scratch.path;
    FILE* file = std::fopen(path.c_str(), "wb");
    check(file != nullptr);
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    Orvanta::Toolbox::ConfigFile config;
    bool ok = config.parse(path);
    check(ok == config.error().empty());
    for (auto& entry : config.values())
        check(entry.second.find('\n') == std::string::npos);
    return 0;
}
