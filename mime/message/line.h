// One header field as it stood in the message: the raw bytes from the first
// byte of the name through the line end that closes the field, split into the
// name (key) and the value. Views only: the bytes belong to the message text
// or to a text that the owning header keeps alive.
#pragma once

#include "mime/grammar/encodable.h"
#include "mime/grammar/string.h"
#include "mime/grammar/value.h"
#include "mime/message/key.h"

namespace Orvanta::Mime {

class Line : public String, public Encodable {
public:
    // The name of the field: the bytes before the colon, less the blanks
    // that may stand between the name and the colon.
    class ExtKey : public Key {
    public:
        // What the start of a line holds, found without throwing: a header
        // block may hold any number of lines that are not fields, and each
        // is only skipped.
        struct Scan {
            enum Kind { field, empty, malformed };
            Kind kind;
            // field: the name's length; empty, malformed: the bytes the line
            // takes with its line end
            size_t length;
            // why a malformed line is not a field; null otherwise
            const char* message;
        };
        static Scan scan(const char* text, size_t size) noexcept;

        // Scans a name at the start of a line. Throws EmptyLine at an empty
        // line (or at the end of the text) and ParseError for a line that is
        // not a field.
        ExtKey(const char* text, size_t size);
        explicit ExtKey(const char* text);
        // the name a scan of the same text found (kind field)
        ExtKey(const char* text, size_t size, const Scan& found);

        // name, the blanks before and after the colon and the colon; 0 for
        // a made name
        size_t consumed() const { return _consumed; }

        size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const;

    private:
        size_t _consumed = 0;
    };

    // The value of the field: from the first byte after the blanks that follow
    // the colon to the last byte that is not white space; folded lines stay
    // inside.
    class ExtValue : public Value {
    public:
        ExtValue(const Key& key, const char* text, size_t size);
        ExtValue(const Key& key, const char* text);

        // the key of the line this value belongs to
        const Key* key() const { return _key; }
        // leading blanks, the value, folded lines and the final line end
        size_t consumed() const { return _consumed; }

        // writes the value (re-encoded by the typed class for its name where
        // there is one) and then CR LF; returns the count of the value alone
        size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const;

    private:
        friend class Line;
        const Key* _key;
        size_t _consumed = 0;
    };

    // Reads one field from the start of the text.
    Line(const char* text, size_t size);
    explicit Line(const char* text);
    // Reads the field whose name a scan of the same text found (kind field):
    // how a header reads its lines without an exception for each bad one.
    Line(const char* text, size_t size, const ExtKey::Scan& found);

    // A line's value always refers to the key of that same line, wherever
    // the line is copied or moved to.
    Line(const Line& other);
    Line(Line&& other) noexcept;
    Line& operator=(const Line& other);
    Line& operator=(Line&& other) noexcept;
    ~Line() override = default;

    // Re-reads the line from a zero-terminated text (not copied). Throws like
    // the constructor and then leaves the line unchanged.
    void set(const char* text);

    // true when the typed class for the name accepts the value; names without
    // a typed class are valid
    bool valid() const;

    using Encodable::encode;
    // Copied with only its line ends made CR LF where the capabilities take
    // it as it stands, else written again by the typed class for its name.
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    // whether what encode writes passes the transport: never with NUL or a
    // CR without its LF; lines within the hard limit, of 7-bit text unless
    // the transport takes 8-bit
    bool encodable(const Capabilities& caps) const override;
    // whether encode copies the line as it stands (a signature over it
    // still holds)
    bool raw(const Capabilities& caps) const;

    ExtKey key;
    ExtValue value;
};

} // namespace Orvanta::Mime
