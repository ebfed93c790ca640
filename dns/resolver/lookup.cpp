#include "dns/resolver/lookup.h"

#include "dns/resolver/core.h"

#include <arpa/nameser.h>

namespace DNS {

Lookup::Lookup(Core* core, const std::shared_ptr<const Config>& config, const char* name, int type,
               const Bits& bits, Handler* handler)
    : Operation(handler), _core(core), _config(config), _query(ns_o_query, name, type, bits) {}

Handler* Lookup::done() {
    Handler* handler = _handler;
    _handler = nullptr;
    _core->release(this);
    return handler;
}

} // namespace DNS
