#include "mime/grammar/localpart.h"

#include "filter/mimeheaderdecode.h"
#include "filter/string.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/atom.h"
#include "mime/grammar/quotedstring.h"
#include "mime/grammar/scanner.h"

#include <stdexcept>

namespace Orvanta::Mime {

namespace {

// U+FFFD, which the decoder writes for bytes that are no text in the word's
// charset
const char replacement[] = "\xef\xbf\xbd";

void decodeInto(std::string& text, const char* data, size_t size) {
    Filter::String sink(&text);
    // strict: a UTF-7 run cut short is ill-formed, not dropped, for its
    // letters name the mailbox
    Filter::MimeHeaderDecode decoder("utf-8", &sink, true);
    decoder.process(data, size, false);
    decoder.flush();
}

} // namespace

LocalPart::LocalPart(const char* data, size_t size) {
    if (size == 0) throw std::runtime_error("empty local part");
    Scanner text(data, size);
    while (!text.atEnd()) {
        // a quoted word may have blanks and comments around it, as an atom
        // may (RFC 5322 section 4.4)
        Scanner ahead(text.here(), text.left());
        ahead.skipBlanks(true);
        if (ahead.at('"')) {
            QuotedString quoted(ahead.here(), ahead.left());
            // the text has a space for a tab, and nothing for a line end that
            // folds nothing: another mailbox than the header names
            if (quoted.control()) throw std::runtime_error("invalid local part");
            if (quoted.text().empty()) break;
            _text += quoted.text();
            text.advance(ahead.position() + quoted.consumed());
            text.skipBlanks(true);
            if (quoted.eightbit()) _eightbit = true;
        } else {
            Atom atom(text.here(), text.left(), true);
            // blanks or comments alone are no word either
            if (atom.empty()) throw std::runtime_error("invalid local part");
            text.advance(atom.consumed());
            if (atom.ascii()) {
                size_t start = _text.size();
                decodeInto(_text, atom.begin(), atom.length());
                if (_text.find(replacement, start) != std::string::npos) _replaced = true;
            } else {
                _text.append(atom.begin(), atom.length());
                _eightbit = true;
            }
        }
        if (!text.take('.')) break;
        _text += '.';
    }
    _consumed = text.position();
    if (_text.empty()) throw std::runtime_error("empty local part");
    // a control byte (a line end or NUL from an escape or an encoded word,
    // any other C0 byte or DEL) would travel on into the recipient list of
    // the mail transfer agent
    for (char c : _text)
        if (Ascii::isControl(c)) throw std::runtime_error("invalid local part");
}

} // namespace Orvanta::Mime
