// The header block of a message or of a MIME part: its lines in message
// order, looked up by name without regard to case, walked with iterators,
// edited and written back out. Lines are views into the message text; the
// only bytes a header owns are the texts it composed itself.
#pragma once

#include "mime/encodable.h"
#include "mime/headeriterator.h"
#include "mime/line.h"
#include "mime/reverseheaderiterator.h"

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
    Header(Header const&) = default;
    Header(Header&&) = default;
    Header& operator=(Header const&) = default;
    Header& operator=(Header&&) = default;
    ~Header() override = default;

    // Lookups; names are compared ignoring ASCII case, whole names only.
    size_t size() const { return _lines.size(); }
    std::vector<Line> const& lines() const { return _lines; }
    Line const& operator[](size_t index) const { return _lines[index]; }
    // the value of the first line of that name, or the shared empty value
    Value const& get(char const* name) const;
    std::vector<Value> all(char const* name) const;
    std::vector<Value> all(String const& name) const;
    bool contains(char const* name) const;
    bool contains(String const& name) const;
    // a line of that name whose value equals the given one ignoring case
    bool contains(Key const& key, Value const& value) const;
    // The name given to find and rfind is not copied: it must outlive the
    // iterator.
    HeaderIterator find(char const* name) const;
    HeaderIterator find(String const& name) const;
    ReverseHeaderIterator rfind(char const* name) const;
    ReverseHeaderIterator rfind(String const& name) const;
    HeaderIterator begin() const { return HeaderIterator(this, 0); }
    HeaderIterator end() const { return HeaderIterator(this, _lines.size()); }
    ReverseHeaderIterator rbegin() const { return ReverseHeaderIterator(this, 0); }
    ReverseHeaderIterator rend() const { return ReverseHeaderIterator(this, _lines.size()); }
    bool valid() const;
    // about the values only; names are not looked at
    bool sevenbit() const;
    bool eightbit() const;
    // every line of the other header is here (name and value, case ignored)
    bool covers(Header const& other) const;
    bool matches(Header const& other) const;
    // the content type parses strictly and its main type is "multipart"
    bool multipart() const;

    // Editing with typed values. The new line is composed before anything is
    // removed: an exception from composing leaves the header unchanged.
    void set(char const* name, HeaderField const& field);
    void set(HeaderIterator const& it, HeaderField const& field);
    // these drop their exceptions: the header then keeps its lines
    void append(char const* name, HeaderField const& field);
    void prepend(char const* name, HeaderField const& field);
    void set(DateTime const& field);
    void set(ContentID const& field);
    void set(ContentType const& field);
    void set(ContentDisposition const& field);
    void set(ContentTransferEncoding const& field);

    // Editing with text: the value is routed by name to its typed class and
    // stored re-encoded when it parses and can be written, else as raw text.
    // A null or empty name or value changes nothing.
    void set(char const* name, char const* value);
    void set(HeaderIterator const& it, char const* value);
    void append(char const* name, char const* value);
    void prepend(char const* name, char const* value);

    // A first line "DKIM-Signature: " with the value exactly as the signer
    // folded it (the signed bytes). Throws when the line cannot be added.
    void prepend(DkimHeader const& header);
    // a first line "Authentication-Results: " with the rendered results
    void prepend(AuthenticationResults const& results);

    void remove(char const* name);
    void remove(size_t index);
    // returns an iterator at the same position, now at the line that followed
    HeaderIterator remove(HeaderIterator const& it);
    void remove(std::function<bool(Line const&)> const& predicate);
    // reorders the lines of that name among the positions they occupy
    void sort(Key const& key, std::function<bool(Value const&, Value const&)> const& less);
    void sort(std::function<bool(Line const&, Line const&)> const& less);
    // reorders the DKIM-Signature lines whose values parse among the
    // positions they occupy; the others stay where they are
    void sort(std::function<bool(DkimSignature const&, DkimSignature const&)> const& less);
    void clear();

    // Keeps a copy of the bytes for as long as this header or a copy of it
    // lives and returns a pointer to it (zero-terminated).
    char const* preserve(char const* data, size_t size);
    char const* preserve(Filter::Memory const& memory);
    // The full text of a line ("Name: value\r\n"), folded, preserved.
    char const* encode(Key const& key, HeaderField const& field);
    char const* encode(Key const& key, Value const& value);

    using Encodable::encode;
    size_t encode(Capabilities const& caps, Filter::Result* out, bool persistent) const override;

protected:
    std::vector<Line> _lines;
    std::vector<std::shared_ptr<std::string>> _texts;
    // the CR LF of the empty line that ended a parsed block, or null
    char const* _terminator = nullptr;

private:
    // the line of a text form: typed when the value parses and can be
    // written, raw otherwise; `written` is the name written for typed values
    char const* compose(Key const& name, Key const& written, char const* value);
    void replaceFirst(Key const& name, char const* text);
    void insert(size_t position, char const* text);
};

} // namespace Orvanta::Mime
