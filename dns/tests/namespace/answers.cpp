#include "dns/tests/namespace/answers.h"

#include "dns/host/printable.h"
#include "dns/wire/extractor.h"
#include "dns/wire/reader.h"
#include "dns/wire/record.h"

#include <gtest/gtest.h>

namespace Orvanta::Test {

std::vector<std::string> describe(const DNS::Response& response) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < response.records(ns_s_an); ++i) {
        DNS::Record record(response, ns_s_an, i);
        const DNS::Message::Entry& entry = response.entry(ns_s_an, i);
        DNS::Reader data(response.data(), response.size(), entry.data);
        switch (record.type()) {
        case ns_t_a:
            lines.push_back("A " + std::string(DNS::Printable(DNS::extract(record)).data()));
            break;
        case ns_t_aaaa:
            lines.push_back("AAAA " + std::string(DNS::Printable(DNS::extract(record)).data()));
            break;
        case ns_t_cname:
            lines.push_back("CNAME " + data.name());
            break;
        case ns_t_ptr:
            lines.push_back("PTR " + data.name());
            break;
        case ns_t_mx: {
            unsigned preference = data.u16();
            lines.push_back("MX " + std::to_string(preference) + " " + data.name());
            break;
        }
        case ns_t_txt: {
            std::string text;
            for (size_t at = 0; at < record.size(); at += 1 + record.data()[at])
                text.append(reinterpret_cast<const char*>(record.data()) + at + 1, record.data()[at]);
            lines.push_back("TXT " + text);
            break;
        }
        default:
            lines.push_back("TYPE" + std::to_string(record.type()));
        }
    }
    return lines;
}

void Recorder::onReceived(const DNS::Operation*, const DNS::Response& response) {
    ++calls;
    outcome.kind = "answer";
    outcome.rcode = response.rcode();
    outcome.answers = describe(response);
}

void Recorder::onTimeout(const DNS::Operation*) {
    ++calls;
    outcome.kind = "timeout";
}

void Recorder::onCancelled(const DNS::Operation*) {
    ++calls;
    outcome.kind = "cancelled";
}

Resolver::Resolver(const std::shared_ptr<DNS::Config>& config)
    : _context(std::make_unique<DNS::Context>(&_adapter, config)) {}

Resolver::Resolver() : _context(std::make_unique<DNS::Context>(&_adapter, true)) {}

Outcome Resolver::lookup(const char* name, ns_type type) {
    Recorder recorder;
    return wait(_context->query(name, type, _context->bits(), &recorder), recorder, name);
}

Outcome Resolver::lookup(const DNS::Ip& address) {
    Recorder recorder;
    return wait(_context->query(address, _context->bits(), &recorder), recorder,
                DNS::Printable(address).data());
}

Outcome Resolver::wait(DNS::Operation* operation, const Recorder& recorder, const std::string& what) {
    if (operation == nullptr) return Outcome{"not started", -1, {}};
    _loop.run();
    EXPECT_EQ(recorder.calls, 1) << what;
    return recorder.outcome;
}

} // namespace Orvanta::Test
