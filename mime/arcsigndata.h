// What one sealing step needs: the message, its ARC sets and their keys, the
// validation of the chain it already carries, the instance of the new set
// and the signing key. Lives on the stack of one sealing call.
#pragma once

#include "mime/arcstatus.h"

namespace Orvanta::Mime {

class ArcPublicKeys;
class ArcSignatures;
class Object;
struct DkimKey;

class ArcSignData {
public:
    // validates the existing chain; throws what ArcStatus throws
    ArcSignData(Object const& message, ArcSignatures const& signatures, ArcPublicKeys const& keys,
                DkimKey const& key);
    virtual ~ArcSignData() = default;

    Object const& message() const { return *_message; }
    ArcSignatures const& signatures() const { return *_signatures; }
    ArcPublicKeys const& keys() const { return *_keys; }
    ArcStatus const& status() const { return _status; }
    int instance() const { return _instance; }
    // the cv= of the new seal
    char const* cv() const { return _cv; }
    DkimKey const& key() const { return *_key; }

private:
    Object const* _message;
    ArcSignatures const* _signatures;
    ArcPublicKeys const* _keys;
    ArcStatus _status;
    int _instance;
    char const* _cv;
    DkimKey const* _key;
};

} // namespace Orvanta::Mime
