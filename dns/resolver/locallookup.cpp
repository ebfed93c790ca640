#include "dns/resolver/locallookup.h"

#include "dns/resolver/core.h"
#include "dns/resolver/handler.h"
#include "dns/wire/message.h"

#include <optional>
#include <stdexcept>

namespace DNS {

LocalLookup::LocalLookup(Core* core, const std::shared_ptr<const Config>& config, const char* name, int type,
                         const Bits& bits, Handler* handler)
    : Lookup(core, config, name, type, bits, handler) {}

LocalLookup::~LocalLookup() {
    if (_handler) _handler->onDropped(this);
}

bool LocalLookup::execute(double) {
    if (finished()) return true;
    std::optional<Response> answer;
    try {
        answer.emplace(_config->hosts().answer(Request(_query)));
    } catch (const std::runtime_error&) {
    }
    Handler* handler = done();
    if (answer) {
        handler->onReceived(this, *answer);
    } else {
        handler->onTimeout(this);
    }
    return true;
}

void LocalLookup::cancel() {
    if (finished()) return;
    Handler* handler = done();
    handler->onCancelled(this);
}

} // namespace DNS
