#include "mime/authentication/arcsigndata.h"

namespace Orvanta::Mime {

namespace {

// The message as it was parsed, when its header and body still stand where
// they were read, one after the other; nothing for a composed message.
std::optional<Object> received(const Object& message) {
    const char* text = message.header.text();
    if (text == nullptr || message.body.data() != text + message.header.bytes()) return std::nullopt;
    return std::optional<Object>(std::in_place, text, message.header.bytes() + message.body.size());
}

std::optional<ArcSignatures> setsOf(const std::optional<Object>& message) {
    if (!message) return std::nullopt;
    return std::optional<ArcSignatures>(std::in_place, *message);
}

} // namespace

ArcSignData::ArcSignData(const Object& message, const ArcSignatures& signatures, const ArcPublicKeys& keys,
                         const DkimKey& key)
    : _message(&message), _signatures(&signatures), _keys(&keys), _received(received(message)),
      _receivedSets(setsOf(_received)), _status(_received && _receivedSets->size() == signatures.size()
                                                    ? ArcStatus(*_received, *_receivedSets, keys)
                                                    : ArcStatus(message, signatures, keys)),
      _instance(static_cast<int>(signatures.size()) + 1), _cv(_status.result()), _key(&key), _values(key) {}

} // namespace Orvanta::Mime
