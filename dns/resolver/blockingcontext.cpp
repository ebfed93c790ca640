#include "dns/resolver/blockingcontext.h"

#include "dns/resolver/blocking.h"
#include "dns/resolver/config.h"
#include "dns/resolver/context.h"
#include "dns/resolver/resolvconf.h"
#include "dns/transport/libev.h"
#include "event/threadloop.h"

namespace Orvanta::Dns {

Context::Context() = default;

Context::Context(const DNS::Config& config) : _config(std::make_shared<const DNS::Config>(config)) {}

bool Context::query(const char* name, ns_type type, DNS::Handler* handler) const {
    Event::ThreadLoop loop;
    DNS::LibEv adapter(loop.loop(), true);
    Blocking blocking(loop, handler);
    auto config = _config ? std::make_shared<DNS::Config>(*_config)
                          : std::make_shared<DNS::Config>(DNS::ResolvConf("/etc/resolv.conf", false));
    for (const DNS::Ip& server : _extra)
        config->nameserver(server);
    // destroyed before the handler, the adapter and the loop it uses
    DNS::Context context(&adapter, config);
    if (context.query(name, type, context.bits(), &blocking) == nullptr) return false;
    loop.run();
    return blocking.received();
}

} // namespace Orvanta::Dns
