#include "mime/authentication/arcsealorder.h"

#include "mime/authentication/arcauthenticationresults.h"
#include "mime/authentication/arcmessagesignature.h"
#include "mime/authentication/arcsealsignature.h"
#include "mime/message/header.h"

#include <stdexcept>

namespace Orvanta::Mime {

ArcSealOrder::ArcSealOrder(const Header& header) : _header(&header) {
    const auto& lines = header.lines();
    for (size_t position = 0; position < lines.size(); ++position) {
        const Line& line = lines[position];
        const char* data = line.value.data();
        size_t size = line.value.size();
        // only the instance is kept; a results part that a strict reading
        // would refuse does not break the order of a valid chain
        if (line.key.containsArcAuthenticationResults())
            place(_results, ArcAuthenticationInstance(data, size).instance(), position);
        else if (line.key.containsArcMessageSignature())
            place(_signatures, ArcMessageSignature(data, size, true).instance(), position);
        else if (line.key.containsArcSeal())
            place(_seals, ArcSealSignature(data, size, true).instance(), position);
    }
    for (size_t i = 0; i < _results.size(); ++i)
        if (_results[i] < 0 || _signatures[i] < 0 || _seals[i] < 0)
            throw std::runtime_error("we miss a header in the arc header set");
}

void ArcSealOrder::place(std::vector<int>& table, int instance, size_t position) {
    if (instance < 1 || instance > limit)
        throw std::runtime_error("arc header contains invalid instance identifier");
    size_t index = static_cast<size_t>(instance - 1);
    if (index >= table.size()) {
        _results.resize(index + 1, -1);
        _signatures.resize(index + 1, -1);
        _seals.resize(index + 1, -1);
    }
    if (table[index] != -1) throw std::runtime_error("two arc headers have the same istance identifier");
    table[index] = static_cast<int>(position);
}

} // namespace Orvanta::Mime
