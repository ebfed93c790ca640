// The text after a header block, seen through the header that owns it. When
// that header declares a multipart type the text is cut at its delimiters
// into a preamble, parts (each a whole Object) and an epilogue. Views only:
// every piece points into the message text.
#pragma once

#include "mime/grammar/encodable.h"
#include "mime/grammar/string.h"
#include "mime/message/bodyiterator.h"
#include "mime/message/contenttransferencoding.h"

#include <memory>
#include <vector>

namespace Orvanta::Mime {

class Epilogue;
class Header;
class Object;
class Preamble;

class Body : public String, public Encodable {
public:
    // multiparts nested deeper than this are not cut up: their text is kept
    // and written back as it is
    static constexpr size_t maxDepth = 64;

    // `depth` is the number of multiparts around this body
    Body(const Header* owner, const char* text, size_t size, size_t depth = 0);
    // the same text, pieces and encoding, attached to another header; the
    // pieces are shared
    Body(const Header* owner, const Body& other);
    Body(const Header* owner, Body&& other);
    Body(const Body&) = delete;
    Body& operator=(const Body&) = delete;
    ~Body() override;

    const Header* owner() const { return _owner; }
    // the encoding the text is in
    const ContentTransferEncoding& encoding() const { return _encoding; }

    // the shared empty objects when there are none
    const Preamble& preamble() const;
    const Epilogue& epilogue() const;
    // replace the text before the first or after the last part (not copied;
    // a null text removes it)
    Body& preamble(const char* text, size_t size);
    Body& preamble(const char* text);
    Body& epilogue(const char* text, size_t size);
    Body& epilogue(const char* text);

    const BodyIterator::Parts& parts() const { return _parts; }
    BodyIterator begin() { return BodyIterator(_parts.begin()); }
    BodyIterator end() { return BodyIterator(_parts.end()); }
    Body& append(const Object& part);
    Body& append(Object&& part);
    Body& prepend(const Object& part);
    Body& prepend(Object&& part);

    // Replaces every part that the capabilities do not take by a repaired
    // copy (Object::repair), which keeps the delimiter line that followed it.
    void repair(const Capabilities& caps);

    void clear();
    bool empty() const;
    // whether encode writes nothing: an empty single part, or a multipart
    // parsed from an empty text
    bool silent() const;
    // a multipart nested too deep to be cut up (its text is the body's view)
    bool unparsed() const { return _unparsed; }
    bool eightbit() const;
    bool sevenbit() const { return !eightbit(); }
    bool valid() const;
    // the text decoded from its transfer encoding
    size_t decode(Filter::Result* out) const;

    // Single part: whether what the next encode writes passes the transport
    // (SevenBit: no NUL, no CR without its LF, lines within the hard limit,
    // 8-bit bytes only where the capabilities take them): the text as it
    // stands when it is copied, decoded when the owner now names "7bit",
    // always when encoded afresh into quoted-printable or base64.
    bool fits(const Capabilities& caps) const;
    // whether what encode writes passes the transport and, for a multipart,
    // is cut by a reader where it was built
    bool encodable(const Capabilities& caps) const override;
    using Encodable::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    // What follows the body in its multipart text. The line end before a
    // delimiter line belongs to the delimiter: a body read from a multipart
    // has the one of the delimiter that followed it at its end, a body that
    // a delimiter line written afresh follows gets one of its own.
    enum class Next { nothing, readDelimiter, newDelimiter };
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent, Next next) const;

private:
    size_t encodeMultipart(const Capabilities& caps, Filter::Result* out, bool persistent) const;
    // Multipart: whether the delimiter lines written are the only ones a
    // reader finds: no part as written, nor the preamble, holds a line it
    // takes for one (a part appended with such a line would be cut there).
    bool delimited(const Capabilities& caps) const;
    // whether a delimiter line is written after the part at `index`
    bool followed(size_t index) const;

    const Header* _owner;
    std::shared_ptr<Preamble> _preamble;
    std::shared_ptr<Epilogue> _epilogue;
    // a vector: empty, it allocates nothing, and most bodies have no parts
    BodyIterator::Parts _parts;
    ContentTransferEncoding _encoding;
    // a multipart nested too deep, kept as text
    bool _unparsed = false;
    // a multipart whose text ended without its closing delimiter, not edited
    // since: written without the delimiter it lacked
    bool _open = false;
};

} // namespace Orvanta::Mime
