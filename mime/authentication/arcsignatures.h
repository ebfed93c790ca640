// The ARC sets of one message, collected once before it is validated,
// resealed or has sets removed: their order, the newest message signature
// and every seal. The first problem found is kept as a text instead of being
// thrown, so a broken chain still gets a status.
#pragma once

#include "mime/authentication/arcmessagesignature.h"
#include "mime/authentication/arcsealorder.h"
#include "mime/authentication/arcsealsignature.h"

#include <memory>
#include <string>
#include <vector>

namespace Orvanta::Mime {

class Object;

class ArcSignatures {
public:
    // Never throws: a failure of any kind becomes the error text.
    explicit ArcSignatures(const Object& message);

    // null when the sets could not be ordered
    const ArcSealOrder* order() const { return _order.get(); }
    // the number of sets, 0 without an order
    size_t size() const { return _order ? _order->size() : 0; }
    // the message signature of the newest set (empty without sets)
    const ArcMessageSignature& signature() const { return _signature; }
    // the seals of instance 1, 2, ... (fewer when one did not parse)
    const std::vector<ArcSealSignature>& seals() const { return _seals; }
    // the first problem, empty when there is none
    const std::string& error() const { return _error; }

private:
    bool parseOrder(const Object& message);
    bool parseSignature();
    bool parseChain();
    void checkSeals();

    ArcMessageSignature _signature;
    std::vector<ArcSealSignature> _seals;
    std::unique_ptr<ArcSealOrder> _order;
    std::string _error;
};

} // namespace Orvanta::Mime
