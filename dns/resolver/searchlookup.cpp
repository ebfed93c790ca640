#include "dns/resolver/searchlookup.h"

#include "dns/resolver/config.h"
#include "dns/resolver/core.h"

namespace DNS {

namespace {

constexpr size_t last = size_t(-1);

} // namespace

SearchLookup::SearchLookup(Core* core, const std::shared_ptr<const Config>& config, int type,
                           const Bits& bits, const char* name, Handler* handler)
    : Operation(handler), _core(core), _config(config), _name(name), _type(type), _bits(bits) {}

SearchLookup* SearchLookup::start(Core* core, const std::shared_ptr<const Config>& config, int type,
                                  const Bits& bits, const char* name, Handler* handler) {
    auto* lookup = new SearchLookup(core, config, type, bits, name, handler);
    if (lookup->proceed()) return lookup;
    delete lookup;
    return nullptr;
}

bool SearchLookup::proceed() {
    // A candidate that cannot start (too long with its suffix) gives way to
    // the next one.
    while (_index != last) {
        std::string candidate;
        if (_index < _config->searchpaths() && !_config->searchpath(_index).empty()) {
            candidate = _name + "." + _config->searchpath(_index);
            ++_index;
        } else {
            candidate = _name;
            _index = last;
        }
        _current = _core->query(_config, candidate.c_str(), _type, _bits, this);
        if (_current) return true;
    }
    return false;
}

const Query& SearchLookup::query() const {
    return _current->query();
}

void SearchLookup::cancel() {
    // the sub-lookup's onCancelled reports and ends this one
    if (_current && _handler) _current->cancel();
}

Handler* SearchLookup::finish() {
    Handler* handler = _handler;
    _handler = nullptr;
    _current = nullptr;
    return handler;
}

void SearchLookup::onReceived(const Operation*, const Response& response) {
    int rcode = response.rcode();
    if (rcode == ns_r_nxdomain && proceed()) return;
    if (rcode != ns_r_nxdomain && response.records(ns_s_an, uint16_t(_type), ns_c_in) == 0) {
        // Kept for when every later candidate is missing: an empty answer,
        // else the first candidate that could not be answered, which leaves
        // the name unknown rather than missing.
        std::optional<Response> kept;
        if (!_cached || (rcode == 0 && _cached->rcode() != 0)) kept = response;
        if (proceed()) {
            if (kept) _cached = std::move(kept);
            return;
        }
    }
    Handler* handler = finish();
    if (rcode == ns_r_nxdomain && _cached) {
        handler->onReceived(this, *_cached);
    } else {
        handler->onReceived(this, response);
    }
    delete this;
}

void SearchLookup::onTimeout(const Operation*) {
    finish()->onTimeout(this);
    delete this;
}

void SearchLookup::onCancelled(const Operation*) {
    finish()->onCancelled(this);
    delete this;
}

void SearchLookup::onDropped(const Operation*) {
    if (Handler* handler = finish()) handler->onDropped(this);
    delete this;
}

} // namespace DNS
