// A short name tried against the search list: each search domain in turn,
// then the name itself, until one has records of the type asked. It owns
// itself until its one report.
#pragma once

#include "dns/resolver/handler.h"
#include "dns/wire/bits.h"
#include "dns/wire/message.h"
#include "dns/wire/operation.h"

#include <memory>
#include <optional>
#include <string>

namespace DNS {

class Config;
class Core;

class SearchLookup : public Operation, public Handler {
public:
    // Starts the first candidate that can start; null (and nothing left
    // behind) when none can.
    static SearchLookup* start(Core* core, const std::shared_ptr<const Config>& config, int type,
                               const Bits& bits, const char* name, Handler* handler);

    const Query& query() const override;
    void cancel() override;

    void onReceived(const Operation* operation, const Response& response) override;
    void onTimeout(const Operation* operation) override;
    void onCancelled(const Operation* operation) override;
    void onDropped(const Operation* operation) override;

private:
    SearchLookup(Core* core, const std::shared_ptr<const Config>& config, int type, const Bits& bits,
                 const char* name, Handler* handler);
    ~SearchLookup() override = default;

    // starts the next candidate; false when the name itself was the last
    bool proceed();
    // hands over to the caller's handler and ends
    Handler* finish();

    Core* _core;
    std::shared_ptr<const Config> _config;
    std::string _name;
    size_t _index = 0;
    int _type;
    Bits _bits;
    Operation* _current = nullptr;
    // what stands when the last candidate is missing
    std::optional<Response> _cached;
};

} // namespace DNS
