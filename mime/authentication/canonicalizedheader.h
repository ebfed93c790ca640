// The canonical text of the header fields a signature covers: the fields
// selected by a signer (the usual names and the caller's extra ones) or by a
// verifier (a signature's h= list), each written "simple" (exactly as it
// stands, its line end included) or "relaxed" (name lower-cased, white space
// folded to single spaces), and at the end the signature field itself with
// its b= value taken out.
#pragma once

#include "filter/result.h"
#include "mime/authentication/dkimheaderfields.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/extraheaders.h"
#include <string>

namespace Orvanta::Mime {

class Header;
class Line;
enum class SignatureType;

class CanonicalizedHeader {
public:
    // Writes the relaxed form of one field into a string.
    class Relaxed : public Filter::Result {
    public:
        explicit Relaxed(std::string* target) : _target(target) {}
        using Filter::Result::append;
        size_t append(const char* data, size_t size, bool persistent) override;

    private:
        void byte(char c);

        int _state = 0;
        // a CR whose LF may come with the next piece
        bool _cr = false;
        std::string* _target;
    };

    // The signer's selection: from the last line up, every line of a usual
    // name for this type of signature or of an extra name.
    CanonicalizedHeader(const Capabilities& caps, const Header& header, const ExtraHeaders& extra,
                        SignatureType type, bool simple);
    // The verifier's selection: for each name of the list the lowest line of
    // that name not yet taken; a name with no line left adds nothing.
    CanonicalizedHeader(const Capabilities& caps, const Header& header, bool simple,
                        const DkimHeaderFields& names);

    // Ends the text with the signature field: its raw text (name, colon,
    // value, without the b= data), canonicalized like the others but without
    // a line end.
    void signature(const char* data, size_t size);
    // the same for a field of the message: its b= data is taken out first
    void signature(const Line& line);

    const std::string& text() const { return _text; }
    size_t count() const { return _count; }
    // the names of the lines taken, as spelled in the message
    const DkimHeaderFields& fields() const { return _fields; }

    // takes one more line, as a selection does (the seal of an ARC set
    // takes the lines of the earlier sets in instance order)
    void add(const Line& line);

private:
    Capabilities _caps;
    size_t _count = 0;
    std::string _text;
    bool _simple;
    DkimHeaderFields _fields;
};

// A signature field's value with the value of its b= tag taken out.
class NakedSignature {
public:
    NakedSignature(const char* data, size_t size);
    const std::string& text() const { return _text; }

private:
    std::string _text;
};

} // namespace Orvanta::Mime
