// A lookup sent to name servers: datagrams, retried at the configured
// interval over the servers in turn (at once when a server could not
// answer), the same server over TCP when an answer came back truncated (a
// failed exchange there is a failed attempt too), until an answer or the
// time-out.
#pragma once

#include "dns/resolver/lookup.h"
#include "dns/transport/inbound.h"
#include "dns/transport/tcp.h"
#include "dns/wire/message.h"

#include <memory>
#include <utility>
#include <vector>

namespace DNS {

class RemoteLookup : public Lookup, public Processor, public Connector {
public:
    // std::runtime_error when the name does not make a query
    RemoteLookup(Core* core, const std::shared_ptr<const Config>& config, const char* name, int type,
                 const Bits& bits, Handler* handler);
    ~RemoteLookup() override;

    bool scheduled() const override { return !finished() && _attempts == 0 && _tcp == 0; }
    bool exhausted() const override;
    double delay(double now) const override;
    bool execute(double now) override;
    void cancel() override;

    bool onReceived(const Ip& server, const Response& response) override;
    bool onLost(const Ip& server) override;
    bool onConnected(const Ip& server, Tcp* connection) override;
    bool onFailure(const Ip& server) override;

private:
    // the server could not answer; true when that finished the lookup
    bool declined(const Ip& server, const Response& response);
    // The exchange over TCP failed or the server declined there: back to
    // datagrams, with `answer` as that attempt's outcome.
    bool abandonTcp(const Response& answer);
    // the attempt failed with that answer: the next one, or the answer
    bool failed(const Response& response);
    bool report(const Response& response);
    bool timeout();
    void subscribe(Inbound* inbound, const Ip& server);
    // leaves every socket and connection attempt
    void leave();
    // leaves the sockets it listens on for that server
    void leave(const Ip& server);

    double _last = 0;
    unsigned _attempts = 0;
    unsigned _tcp = 0;
    unsigned _offset;
    std::unique_ptr<Response> _truncated;
    // the last answer of a server that could not answer (or the truncated
    // one whose TCP exchange failed), reported in place of a time-out
    std::unique_ptr<Response> _declined;
    std::vector<std::pair<Inbound*, Ip>> _subscriptions;
    Connecting* _connecting = nullptr;
};

} // namespace DNS
