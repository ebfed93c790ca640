// Arbitrary text read as resolv.conf, leniently and strictly: the settings
// stay within their bounds whatever the lines say.
#include "dns/resolver/config.h"
#include "dns/resolver/resolvconf.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    for (bool strict : {false, true}) {
        try {
            DNS::ResolvConf conf(text, "fuzz", strict);
            if (conf.timeout() < 1 || conf.timeout() > 30) std::abort();
            if (conf.attempts() < 1 || conf.attempts() > 5) std::abort();
            if (conf.ndots() > 15) std::abort();
            for (const DNS::Ip& ip : conf.nameservers())
                if (ip.version() != 4 && ip.version() != 6) std::abort();
            for (const std::string& path : conf.searchpaths())
                if (path.empty()) std::abort();
        } catch (const std::runtime_error&) {
            // only a strict reading stops at a bad line
            if (!strict) std::abort();
        }
    }
    return 0;
}
