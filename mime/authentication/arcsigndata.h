// What one sealing step needs: the message, its ARC sets and their keys, the
// validation of the chain it carried when it was received, the instance of
// the new set and the signing key. Lives on the stack of one sealing call.
#pragma once

#include "mime/authentication/arcsignatures.h"
#include "mime/authentication/arcstatus.h"
#include "mime/authentication/signervalues.h"
#include "mime/message/object.h"

#include <optional>

namespace Orvanta::Mime {

class ArcPublicKeys;
class ArcSignatures;
class Object;
struct DkimKey;

class ArcSignData {
public:
    // Validates the existing chain over the message as it was parsed: a fix
    // or repair since changed the bytes the older sets signed, and the new
    // seal's cv= is the state the chain arrived in. (Over the message as it
    // is when its sets were removed or added since.) Throws what ArcStatus
    // throws.
    ArcSignData(const Object& message, const ArcSignatures& signatures, const ArcPublicKeys& keys,
                const DkimKey& key);

    const Object& message() const { return *_message; }
    const ArcSignatures& signatures() const { return *_signatures; }
    const ArcPublicKeys& keys() const { return *_keys; }
    const ArcStatus& status() const { return _status; }
    int instance() const { return _instance; }
    // the cv= of the new seal
    const char* cv() const { return _cv; }
    const DkimKey& key() const { return *_key; }
    // what both signatures of the set write of the key
    const SignerValues& values() const { return _values; }

private:
    const Object* _message;
    const ArcSignatures* _signatures;
    const ArcPublicKeys* _keys;
    // the message as it was parsed and its sets (none for a composed
    // message)
    std::optional<Object> _received;
    std::optional<ArcSignatures> _receivedSets;
    ArcStatus _status;
    int _instance;
    const char* _cv;
    const DkimKey* _key;
    SignerValues _values;
};

} // namespace Orvanta::Mime
