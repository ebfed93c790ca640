// What one sealing step needs: the message, its ARC sets and their keys, the
// validation of the chain it already carries, the instance of the new set
// and the signing key. Lives on the stack of one sealing call.
#pragma once

#include "mime/authentication/arcstatus.h"

namespace Orvanta::Mime {

class ArcPublicKeys;
class ArcSignatures;
class Object;
struct DkimKey;

class ArcSignData {
public:
    // validates the existing chain; throws what ArcStatus throws
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

private:
    const Object* _message;
    const ArcSignatures* _signatures;
    const ArcPublicKeys* _keys;
    ArcStatus _status;
    int _instance;
    const char* _cv;
    const DkimKey* _key;
};

} // namespace Orvanta::Mime
