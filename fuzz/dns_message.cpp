// Arbitrary bytes read as a DNS answer: the message parser, every record of
// every section, the names in them, the typed views, the question check and
// the DKIM key records of the TXT answers.
#include "dns/resolver/resources.h"
#include "dns/wire/bits.h"
#include "dns/wire/extractor.h"
#include "dns/wire/message.h"
#include "dns/wire/name.h"
#include "dns/wire/query.h"
#include "dns/wire/reader.h"
#include "dns/wire/record.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

// A name read from the message must write back and read again unchanged.
void roundTrip(const std::string& name) {
    unsigned char wire[256];
    int size = DNS::encodeName(name.c_str(), wire, sizeof wire);
    if (size < 1 || size > 255) std::abort();
    DNS::Reader again(wire, size_t(size));
    if (again.name() != name || again.remaining() != 0) std::abort();
}

void exercise(const DNS::Response& response) {
    for (ns_sect section : {ns_s_qd, ns_s_an, ns_s_ns, ns_s_ar}) {
        for (size_t i = 0; i < response.records(section); ++i) {
            DNS::Record record(response, section, i);
            const DNS::Message::Entry& entry = response.entry(section, i);
            if (entry.data + record.size() > response.size()) std::abort();
            DNS::Reader owner(response.data(), response.size(), entry.name);
            std::string name = owner.name();
            roundTrip(name);
            try {
                (void)DNS::extract(record);
            } catch (const std::runtime_error&) {
                // not an address record, or too small for one
            }
            if (record.type() == ns_t_cname || record.type() == ns_t_ptr) {
                try {
                    DNS::Reader target(response.data(), entry.data + record.size(), entry.data);
                    roundTrip(target.name());
                } catch (const std::runtime_error&) {
                    // a target that runs out of its record
                }
            }
        }
    }
    (void)response.rcode();
    DNS::Query query(0, "sel._domainkey.example.test", ns_t_txt, DNS::Bits());
    (void)query.matches(response);
    Orvanta::Dns::DkimRecords records;
    records.onReceived(nullptr, response);
    for (const Orvanta::Dns::DkimRecord& record : records.records()) {
        if (record.size() != record.text().size()) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        DNS::Response response(data, size);
        exercise(response);
        DNS::Response copy(response);
        if (copy.size() != size) std::abort();
    } catch (const std::runtime_error&) {
        // not a whole message: refusing it is the expected outcome
    }
    return 0;
}
