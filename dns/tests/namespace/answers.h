// Runs lookups on a private loop and describes their outcome as text, so
// that tests compare what a user of the resolver would see.
#pragma once

#include "dns/resolver/config.h"
#include "dns/resolver/context.h"
#include "dns/resolver/handler.h"
#include "dns/transport/libev.h"
#include "dns/wire/message.h"
#include "event/threadloop.h"

#include <memory>
#include <string>
#include <vector>

namespace Orvanta::Test {

// "A 192.0.2.1", "MX 10 mail.example.test", "TXT text", ... per answer
std::vector<std::string> describe(const DNS::Response& response);

struct Outcome {
    // "answer", "timeout" or "cancelled"
    std::string kind;
    int rcode = -1;
    std::vector<std::string> answers;
};

// Records the one outcome of a lookup.
class Recorder : public DNS::Handler {
public:
    void onReceived(const DNS::Operation*, const DNS::Response& response) override;
    void onTimeout(const DNS::Operation*) override;
    void onCancelled(const DNS::Operation*) override;

    Outcome outcome;
    int calls = 0;
};

// A resolver context on a private loop.
class Resolver {
public:
    explicit Resolver(const std::shared_ptr<DNS::Config>& config);
    // the system's configuration
    Resolver();

    // Runs one lookup to its end.
    Outcome lookup(const char* name, ns_type type);
    // Runs the reverse lookup of the address to its end.
    Outcome lookup(const DNS::Ip& address);
    // Runs the loop until no lookup is left.
    void run() { _loop.run(); }

    DNS::Context& context() { return *_context; }

private:
    // the outcome of the operation the recorder hears
    Outcome wait(DNS::Operation* operation, const Recorder& recorder, const std::string& what);

    Event::ThreadLoop _loop;
    DNS::LibEv _adapter{_loop.loop(), true};
    std::unique_ptr<DNS::Context> _context;
};

} // namespace Orvanta::Test
