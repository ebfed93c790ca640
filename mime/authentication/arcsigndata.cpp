#include "mime/authentication/arcsigndata.h"

#include "mime/authentication/arcsignatures.h"

namespace Orvanta::Mime {

ArcSignData::ArcSignData(const Object& message, const ArcSignatures& signatures, const ArcPublicKeys& keys,
                         const DkimKey& key)
    : _message(&message), _signatures(&signatures), _keys(&keys), _status(message, signatures, keys),
      _instance(static_cast<int>(signatures.size()) + 1), _cv(_status.result()), _key(&key) {}

} // namespace Orvanta::Mime
