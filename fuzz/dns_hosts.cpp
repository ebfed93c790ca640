// Arbitrary text read as a hosts file, then asked about the names and
// addresses it holds, as the resolver answers from it.
#include "dns/host/reverse.h"
#include "dns/resolver/hosts.h"
#include "dns/wire/bits.h"
#include "dns/wire/message.h"
#include "dns/wire/query.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

void ask(const DNS::Hosts& hosts, const char* name, ns_type type) {
    try {
        DNS::Query query(0, name, type, DNS::Bits());
        DNS::Response answer = hosts.answer(DNS::Request(query));
        if (!query.matches(answer) || answer.rcode() != 0) std::abort();
    } catch (const std::runtime_error&) {
        // a word that cannot be a query name
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    DNS::Hosts hosts;
    hosts.parse(text);
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        const DNS::Ip* address = hosts.lookup(word.c_str(), 0);
        if (address) {
            if (hosts.lookup(*address) == nullptr) std::abort();
            ask(hosts, DNS::Reverse(*address), ns_t_ptr);
        }
        ask(hosts, word.c_str(), ns_t_a);
        ask(hosts, word.c_str(), ns_t_aaaa);
    }
    return 0;
}
