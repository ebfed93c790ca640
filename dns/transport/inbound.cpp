#include "dns/transport/inbound.h"

namespace DNS {

void Inbound::subscribe(Processor* processor, const Ip& server, uint16_t id) {
    _subscriptions.insert({id, server, processor});
}

void Inbound::unsubscribe(Processor* processor, const Ip& server, uint16_t id) {
    _subscriptions.erase({id, server, processor});
    if (_subscriptions.empty()) reset();
}

} // namespace DNS
