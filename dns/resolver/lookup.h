// A lookup the scheduler runs: built with its query, then executed by the
// core until it reports to its handler.
#pragma once

#include "dns/resolver/config.h"
#include "dns/wire/operation.h"
#include "dns/wire/query.h"

#include <memory>

namespace DNS {

class Bits;
class Core;

class Lookup : public Operation {
public:
    const Query& query() const override { return _query; }

    // has sent nothing yet
    virtual bool scheduled() const = 0;
    // has reported
    bool finished() const { return _handler == nullptr; }
    // waits only for its final time-out (or is answered locally)
    virtual bool exhausted() const = 0;
    // seconds until it wants to run
    virtual double delay(double now) const = 0;
    // true when it has reported
    virtual bool execute(double now) = 0;

protected:
    Lookup(Core* core, const std::shared_ptr<const Config>& config, const char* name, int type,
           const Bits& bits, Handler* handler);
    ~Lookup() override = default;

    // Clears the handler and tells the core; the handler to report to.
    Handler* done();

    Core* _core;
    std::shared_ptr<const Config> _config;
    Query _query;

private:
    friend class Core;
    // counted by the core as in flight
    bool _inflight = false;
};

} // namespace DNS
