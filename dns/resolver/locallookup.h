// A lookup the hosts file answers, delivered from the scheduler's next turn.
#pragma once

#include "dns/resolver/lookup.h"

namespace DNS {

class Ip;

class LocalLookup : public Lookup {
public:
    LocalLookup(Core* core, const std::shared_ptr<const Config>& config, const char* name, int type,
                const Bits& bits, Handler* handler);
    ~LocalLookup() override;

    bool scheduled() const override { return false; }
    bool exhausted() const override { return true; }
    double delay(double) const override { return 0; }
    bool execute(double now) override;
    void cancel() override;
};

} // namespace DNS
