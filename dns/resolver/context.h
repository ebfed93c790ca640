// What a program holds to use the asynchronous resolver: a scheduler on its
// event loop, a configuration and the default query flags. Copies share the
// scheduler and keep their own configuration.
#pragma once

#include "dns/resolver/callbacks.h"
#include "dns/wire/bits.h"

#include <arpa/nameser.h>
#include <memory>

namespace DNS {

class Config;
class Core;
class Ip;
class Loop;
class Operation;
class ResolvConf;

class Context {
public:
    // With `defaults` the system's configuration (/etc/resolv.conf and
    // /etc/hosts; a missing file is a std::runtime_error), else the
    // built-in one: no name servers.
    Context(Loop* loop, bool defaults);
    Context(Loop* loop, const ResolvConf& settings);
    Context(Loop* loop, const std::shared_ptr<Config>& config);
    Context(const Context& that);
    Context& operator=(const Context&) = delete;
    // Lookups in flight die with the scheduler, without results.
    virtual ~Context();

    void reset(bool defaults);

    Config& config() { return *_config; }
    Core& core() { return *_core; }
    const Bits& bits() const { return _bits; }

    // The operation, or null (the handler never called) when the lookup
    // cannot start.
    Operation* query(const char* name, ns_type type, const Bits& bits, Handler* handler);
    // The reverse lookup of an address.
    Operation* query(const Ip& address, const Bits& bits, Handler* handler);
    Operation* query(const char* name, ns_type type, const Bits& bits, Callbacks::Success success,
                     Callbacks::Failure failure);
    Operation* query(const Ip& address, const Bits& bits, Callbacks::Success success,
                     Callbacks::Failure failure);

private:
    // the configuration goes first, then the scheduler
    std::shared_ptr<Core> _core;
    std::shared_ptr<Config> _config;
    Bits _bits;
};

} // namespace DNS
