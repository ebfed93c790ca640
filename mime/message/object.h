// A parsed message or MIME part: its header block and its body, both views
// into the caller's text, which must outlive the object and every copy of
// its header.
#pragma once

#include "mime/grammar/encodable.h"
#include "mime/message/body.h"
#include "mime/message/boundary.h"
#include "mime/message/extraheaders.h"
#include "mime/message/header.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Orvanta::Dns {
class Context;
class Hostname;
} // namespace Orvanta::Dns

namespace Orvanta::Mime {

class ArcPublicKeys;
class ArcSignatures;
class AuthenticationResults;
class Canonicalization;
class Part;
struct DkimKey;

class Object : public Encodable {
public:
    // The parsed header block, with the bytes it took.
    class ExtHeader : public Header {
    public:
        ExtHeader() = default;
        // Reads lines up to the empty line (or the end of the text); lines
        // that are not fields are skipped as fields, counted, and kept to be
        // written back. Throws FatalError "Empty header" for an empty text.
        ExtHeader(const char* text, size_t size);
        // zero-terminated; a null pointer counts as empty
        explicit ExtHeader(const char* text);

        // every line, every skipped stretch and the ending empty line
        size_t bytes() const { return _bytes; }
        // the block ended with an empty line (not at the end of its text)
        bool ended() const { return _ended; }
        // the stretches that are not fields, in message order
        const std::vector<String>& strays() const { return _strays; }
        // the text the block was read from (null when it was composed)
        const char* text() const { return _text; }
        void clear();

        using Header::encode;
        // the lines, with the stretches that are not fields where they
        // stood, then the empty line
        size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
        // `ending` false: without the empty line when the block had none
        size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent, bool ending) const;

    private:
        // whether a line was read from this block (not composed or added)
        bool parsed(const String& line) const;

        const char* _text = nullptr;
        size_t _bytes = 0;
        bool _ended = true;
        std::vector<String> _strays;
    };

    class ExtBody : public Body {
    public:
        using Body::Body;
    };

    // the header block from the start of the text, the body after it
    Object(const char* text, size_t size);
    // an empty header and the given body
    explicit Object(const Body& body);
    explicit Object(Body&& body);
    // the header copied, the body's parts shared; the boundary is not copied
    Object(const Object& other);
    Object(Object&& other) noexcept;
    // one part of a multipart text; `depth` is the number of multiparts
    // around it
    explicit Object(const Part& part, size_t depth = 0);
    Object& operator=(const Object&) = delete;
    Object& operator=(Object&&) = delete;
    ~Object() override;

    void clear();

    // Adds a DKIM-Signature on top of the header over the usual fields and
    // the extra ones, after removing the earlier signatures of that domain
    // and selector. `expiration` is an absolute time (0: none). False, and
    // the message unchanged, when it cannot be signed, or when the field
    // would not pass a transport of `caps` as written.
    bool sign(const Capabilities& caps, const DkimKey& key, long expiration, bool oversign,
              const Canonicalization& canonicalization);
    bool sign(const Capabilities& caps, const DkimKey& key, const ExtraHeaders& extra, long expiration,
              bool oversign, const Canonicalization& canonicalization);
    // removes every DKIM-Signature of that domain and selector
    void unsign(const Dns::Hostname& domain, const std::string& selector);
    void unsign(const DkimKey& key);

    // Seals the message: validates the ARC chain it carries, then adds a new
    // set on top of the header (ARC-Seal, ARC-Message-Signature,
    // ARC-Authentication-Results with the sealer's `results`). `expire`
    // (0: none) is the x= of the message signature. False, and the message
    // unchanged, when it cannot be sealed or a field of the set would not
    // pass a transport of `caps` as written (a line over the hard limit,
    // 8-bit results without 8-bit transport); a failing chain is sealed with
    // cv=fail. This form fetches the keys through the context (blocking).
    // The chain is validated over the text as it was parsed: what fix or
    // repair changed since does not change the state it arrived in.
    bool resign(const Dns::Context& context, const Capabilities& caps, const DkimKey& key,
                const AuthenticationResults& results, long expire, bool oversign);
    // with the sets and keys the caller gathered from this message
    bool resign(const Capabilities& caps, const ArcSignatures& signatures, const ArcPublicKeys& keys,
                const DkimKey& key, const AuthenticationResults& results, long expire, bool oversign);
    // with the first Authentication-Results of one authserv-id (compared
    // exactly) found in the header: there are no keys to validate a chain
    // with, so only a message without ARC sets is sealed (cv=none); false
    // otherwise, and when no results of that authserv-id are there
    bool resign(const Capabilities& caps, const DkimKey& key, const std::string& id, long expire,
                bool oversign);
    // removes the newest sets whose results carry one of these authserv-ids
    // (compared exactly), down to the first that does not; never throws
    void unresign(const std::vector<std::string>& ids);

    using Encodable::encode;
    // The header block, then the body; returns every byte written. A parsed
    // message nobody edited is written as it came, its line feeds made CR LF:
    // bytes change only where the capabilities ask for it.
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    // as a part of a multipart; `delimited`: a delimiter line is written
    // after it
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent, bool delimited) const;
    // whether encode writes what the transport takes: every header line and
    // the body pass, and no part of a multipart holds a line a reader takes
    // for its delimiter
    bool encodable(const Capabilities& caps) const override;

    // Makes the message encodable where a change of transfer encoding can:
    // true when it is (or now is). A message with a DKIM signature, and the
    // signed content of a multipart/signed, are left as they are, since
    // re-encoding would break the signature: false when they would not go
    // out as they stand, header lines included.
    bool fix(const Capabilities& caps);
    // Names a 7-bit transfer encoding for every single part that needs one
    // ("quoted-printable" for text, "base64" for content without lines, such
    // as an application or image type, and for a body labelled binary),
    // so that readers decode the bytes they did before; the next encode
    // translates the bodies. Parts of a multipart are replaced by repaired
    // copies, so that copies of the message that share them keep theirs. An
    // enclosed message (message/rfc822, partial, external-body) is left as
    // it is: readers do not decode it. So is a part in a transfer encoding
    // not known here ("x-uuencode"): its label and bytes stay.
    void repair(const Capabilities& caps);
    // `digestPart`: the entity is a part of a multipart/digest, where one
    // without a readable content type is an enclosed message (RFC 2046
    // section 5.1.5), not text
    void repair(const Capabilities& caps, bool digestPart);

    ExtHeader header;
    ExtBody body;
    // the delimiter line that followed this entity in a multipart text
    Boundary boundary;
};

} // namespace Orvanta::Mime
