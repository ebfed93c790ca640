#include "mime/authentication/arcsignatures.h"

#include "mime/message/object.h"

#include <exception>

namespace Orvanta::Mime {

namespace {

// Runs one step; a failure of whatever type becomes the error text.
template <typename Step>
bool attempt(std::string& error, const std::string& prefix, const Step& step) {
    try {
        step();
        return true;
    } catch (const std::exception& failure) {
        error = prefix + failure.what();
    } catch (...) {
        error = prefix + "unknown error";
    }
    return false;
}

} // namespace

ArcSignatures::ArcSignatures(const Object& message) {
    if (parseOrder(message) && parseSignature() && parseChain()) checkSeals();
}

bool ArcSignatures::parseOrder(const Object& message) {
    return attempt(_error, "Could not determine ordering: ", [&] {
        _order = std::make_unique<ArcSealOrder>(message.header);
    });
}

bool ArcSignatures::parseSignature() {
    size_t sets = _order->size();
    if (sets == 0) return true;
    return attempt(_error, "Message signature invalid: ", [&] {
        Value const& value = _order->header()[_order->signature(static_cast<int>(sets))].value;
        _signature = ArcMessageSignature(value.data(), value.size(), true);
    });
}

bool ArcSignatures::parseChain() {
    int sets = static_cast<int>(_order->size());
    for (int k = 1; k <= sets; ++k) {
        bool parsed = attempt(_error, "Chain signature [" + std::to_string(k) + "] invalid: ", [&] {
            Value const& value = _order->header()[_order->seal(k)].value;
            _seals.emplace_back(value.data(), value.size(), true);
        });
        if (!parsed) return false;
    }
    return true;
}

void ArcSignatures::checkSeals() {
    for (size_t p = _seals.size(); p > 0; --p) {
        const ArcSealSignature& seal = _seals[p - 1];
        std::string hop = "Invalid arc-seal hop[" + std::to_string(p) + "]: ";
        if (!seal.cv()) {
            _error = hop + "invalid cv";
            return;
        }
        if (seal.domain().empty() || seal.selector().empty()) {
            _error = hop + "Domain or selector not set in signature";
            return;
        }
    }
}

} // namespace Orvanta::Mime
