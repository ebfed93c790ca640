// The header block of a message or of a MIME part: its lines in message
// order, looked up by name without regard to case, walked with iterators,
// edited and written back out. Lines are views into the message text; the
// only bytes a header owns are the texts it composed itself.
#pragma once

#include "mime/grammar/encodable.h"
#include "mime/message/headeriterator.h"
#include "mime/message/line.h"
#include "mime/message/reverseheaderiterator.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Orvanta::Filter {
class Memory;
}

namespace Orvanta::Mime {

class ContentDisposition;
class ContentID;
class ContentTransferEncoding;
class ContentType;
class DateTime;
class AuthenticationResults;
class DkimHeader;
class DkimSignature;
class HeaderField;

class Header : public Encodable {
public:
    Header() = default;
    // A copy refers to the same message bytes and shares the composed texts,
    // so it stays valid as long as the message text lives.
    Header(const Header&) = default;
    Header(Header&&) = default;
    Header& operator=(const Header&) = default;
    Header& operator=(Header&&) = default;
    ~Header() override = default;

    // Lookups; names are compared ignoring ASCII case, whole names only. A
    // null name matches no line.
    size_t size() const { return _lines.size(); }
    const std::vector<Line>& lines() const { return _lines; }
    const Line& operator[](size_t index) const { return _lines[index]; }
    // the value of the first line of that name, or the shared empty value
    const Value& get(const char* name) const;
    std::vector<Value> all(const char* name) const;
    std::vector<Value> all(const String& name) const;
    bool contains(const char* name) const;
    bool contains(const String& name) const;
    // a line of that name whose value equals the given one ignoring case
    bool contains(const Key& key, const Value& value) const;
    // The name given to find and rfind is not copied: it must outlive the
    // iterator.
    HeaderIterator find(const char* name) const;
    HeaderIterator find(const String& name) const;
    ReverseHeaderIterator rfind(const char* name) const;
    ReverseHeaderIterator rfind(const String& name) const;
    HeaderIterator begin() const { return HeaderIterator(this, 0); }
    HeaderIterator end() const { return HeaderIterator(this, _lines.size()); }
    ReverseHeaderIterator rbegin() const { return ReverseHeaderIterator(this, 0); }
    ReverseHeaderIterator rend() const { return ReverseHeaderIterator(this, _lines.size()); }
    bool valid() const;
    // about the values only; names are not looked at
    bool sevenbit() const;
    bool eightbit() const;
    // every line of the other header is here (name and value, case ignored)
    bool covers(const Header& other) const;
    bool matches(const Header& other) const;
    // the content type parses strictly and its main type is "multipart"
    bool multipart() const;
    // and its subtype is that one ("digest", "signed")
    bool multipart(const char* subtype) const;

    // Editing with typed values. The new line is composed before anything is
    // removed: an exception from composing leaves the header unchanged. A
    // name that cannot head a field (see Key::fieldName: empty, or holding a
    // colon, a blank, a control or an 8-bit byte) cannot be composed either:
    // set throws std::runtime_error "invalid header name", and so does set
    // at a line whose own name is such.
    void set(const char* name, const HeaderField& field);
    void set(const HeaderIterator& it, const HeaderField& field);
    // these drop their exceptions: the header then keeps its lines
    void append(const char* name, const HeaderField& field);
    void prepend(const char* name, const HeaderField& field);
    void set(const DateTime& field);
    void set(const ContentID& field);
    void set(const ContentType& field);
    void set(const ContentDisposition& field);
    void set(const ContentTransferEncoding& field);

    // Editing with text: the value is routed by name to its typed class and
    // stored re-encoded when it parses and can be written, else as raw text.
    // A null or empty name or value changes nothing; so does any other name
    // that cannot head a field, which set refuses with "invalid header name"
    // and append and prepend drop.
    void set(const char* name, const char* value);
    void set(const HeaderIterator& it, const char* value);
    void append(const char* name, const char* value);
    void prepend(const char* name, const char* value);

    // A first line "DKIM-Signature: " with the value exactly as the signer
    // folded it (the signed bytes). Throws when the line cannot be added.
    void prepend(const DkimHeader& header);
    // a first line "Authentication-Results: " with the rendered results
    void prepend(const AuthenticationResults& results);

    void remove(const char* name);
    void remove(size_t index);
    // returns an iterator at the same position, now at the line that followed
    HeaderIterator remove(const HeaderIterator& it);
    void remove(const std::function<bool(const Line&)>& predicate);
    // reorders the lines of that name among the positions they occupy
    void sort(const Key& key, const std::function<bool(const Value&, const Value&)>& less);
    void sort(const std::function<bool(const Line&, const Line&)>& less);
    // reorders the DKIM-Signature lines whose values parse among the
    // positions they occupy; the others stay where they are
    void sort(const std::function<bool(const DkimSignature&, const DkimSignature&)>& less);
    void clear();

    // Keeps a copy of the bytes for as long as this header or a copy of it
    // lives and returns a pointer to it (zero-terminated).
    const char* preserve(const char* data, size_t size);
    const char* preserve(const Filter::Memory& memory);
    // The full text of a line ("Name: value\r\n"), folded, preserved;
    // throws "invalid header name" for a name that cannot head a field.
    const char* encode(const Key& key, const HeaderField& field);
    const char* encode(const Key& key, const Value& value);

    using Encodable::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;

protected:
    std::vector<Line> _lines;
    std::vector<std::shared_ptr<std::string>> _texts;
    // the CR LF of the empty line that ended a parsed block, or null
    const char* _terminator = nullptr;

private:
    // the line of a text form: typed when the value parses and can be
    // written, raw otherwise; `written` is the name written for typed values
    const char* compose(const Key& name, const Key& written, const char* value);
    void replaceFirst(const Key& name, const char* text);
    void insert(size_t position, const char* text);
};

} // namespace Orvanta::Mime
