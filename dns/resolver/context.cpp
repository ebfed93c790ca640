#include "dns/resolver/context.h"

#include "dns/resolver/config.h"
#include "dns/resolver/core.h"
#include "dns/resolver/resolvconf.h"

namespace DNS {

namespace {

std::shared_ptr<Config> configuration(bool defaults) {
    if (!defaults) return std::make_shared<Config>();
    return std::make_shared<Config>(ResolvConf("/etc/resolv.conf", false));
}

} // namespace

Context::Context(Loop* loop, bool defaults)
    : _core(std::make_shared<Core>(loop)), _config(configuration(defaults)) {}

Context::Context(Loop* loop, const ResolvConf& settings)
    : _core(std::make_shared<Core>(loop)), _config(std::make_shared<Config>(settings)) {}

Context::Context(Loop* loop, const std::shared_ptr<Config>& config)
    : _core(std::make_shared<Core>(loop)), _config(config) {}

Context::Context(const Context& that)
    : _core(that._core), _config(std::make_shared<Config>(*that._config)), _bits(that._bits) {}

Context::~Context() {
    _config.reset();
    _core.reset();
}

void Context::reset(bool defaults) {
    _config = configuration(defaults);
    _bits = Bits();
}

Operation* Context::query(const char* name, ns_type type, const Bits& bits, Handler* handler) {
    return _core->query(_config, name, type, bits, handler);
}

Operation* Context::query(const Ip& address, const Bits& bits, Handler* handler) {
    return _core->query(_config, address, bits, handler);
}

Operation* Context::query(const char* name, ns_type type, const Bits& bits, Callbacks::Success success,
                          Callbacks::Failure failure) {
    auto* callbacks = new Callbacks(std::move(success), std::move(failure));
    Operation* operation = query(name, type, bits, callbacks);
    if (operation == nullptr) delete callbacks;
    return operation;
}

Operation* Context::query(const Ip& address, const Bits& bits, Callbacks::Success success,
                          Callbacks::Failure failure) {
    auto* callbacks = new Callbacks(std::move(success), std::move(failure));
    Operation* operation = query(address, bits, callbacks);
    if (operation == nullptr) delete callbacks;
    return operation;
}

} // namespace DNS
