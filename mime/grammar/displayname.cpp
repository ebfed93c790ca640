#include "mime/grammar/displayname.h"

#include "filter/charset.h"
#include "filter/escape.h"
#include "filter/keptwords.h"
#include "filter/linelength.h"
#include "filter/mimeheaderdecode.h"
#include "filter/mimeheaderencode.h"
#include "filter/mimeheaderencoding.h"
#include "filter/mimeword.h"
#include "filter/string.h"
#include "filter/wordwrap.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/atom.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/formatting.h"
#include "mime/grammar/internal.h"
#include "mime/grammar/quotedstring.h"
#include "mime/grammar/scanner.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <strings.h>
#include <utility>
#include <vector>

namespace Orvanta::Mime {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The longest run without a blank over the pieces appended to a name.
class Runs {
public:
    void piece(const std::string& text, bool joined) {
        size_t blank = text.find_first_of(" \t\r\n");
        if (blank == std::string::npos) {
            _carried = text.size() + (joined ? _carried : 0);
        } else {
            size_t stretch = _carried + blank;
            _longest = std::max(_longest, stretch);
            size_t start = blank + 1;
            for (size_t i = start; i < text.size(); ++i) {
                if (!isBlank(text[i])) continue;
                _longest = std::max(_longest, i - start);
                start = i + 1;
            }
            _carried = text.size() - start;
        }
        _longest = std::max(_longest, _carried);
    }
    void dot() {
        _carried = 1;
        _longest = std::max(_longest, _carried);
    }
    size_t longest() const { return _longest; }

private:
    size_t _carried = 0;
    size_t _longest = 0;
};

// CR, LF and NUL must never reach a header raw, whatever the transport allows
bool unsafe(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// Readers decode text shaped like an encoded word wherever it stands, also
// glued to other text or inside a quoted string: a name that holds one, or a
// word starting "=?", goes through the encoder, which sets the words kept as
// written back as they stood and encodes the rest.
bool lookalike(const std::string& text) {
    return Filter::MimeWord::opening(text.data(), text.size()) < text.size() ||
           text.compare(0, 2, "=?") == 0 || text.find(" =?") != std::string::npos;
}

// Records where the words a decoder kept as written stand in the text it
// writes into.
class Marks : public Filter::KeptWords {
public:
    Marks(const std::string& text, std::vector<std::pair<size_t, size_t>>& kept) : _text(text), _kept(kept) {}
    void kept(size_t size) override { _kept.emplace_back(_text.size(), size); }

private:
    const std::string& _text;
    std::vector<std::pair<size_t, size_t>>& _kept;
};

// the size of the last piece of a word (see MimeWord::piece)
size_t lastPiece(const char* word, size_t size) {
    size_t last = 0;
    for (size_t at = 0; at < size; at += last)
        last = Filter::MimeWord::piece(word + at, size - at);
    return last;
}

// whether the last piece of a word is an encoded word, which a following
// encoded word joins without the blank between them
bool endsEncoded(const char* word, size_t size) {
    size_t last = lastPiece(word, size);
    return Filter::MimeWord::length(word + size - last, last) == last;
}

// the charset of the encoded word that a word starts or (`last`) ends with
std::string edgeCharset(const char* word, size_t size, bool last) {
    size_t piece = last ? lastPiece(word, size) : Filter::MimeWord::length(word, size);
    const char* start = last ? word + size - piece : word;
    return Filter::MimeWord(start, piece, false).charset();
}

// An atom's encoded words and the text glued to them, decoded piece by piece
// with the text staying where it stood, added to `out`; `keep`: as
// MimeHeaderDecode has it, and where the words kept as written stand is
// added to `kept`.
void decode(const char* data, size_t size, std::string& out, bool keep = false,
            std::vector<std::pair<size_t, size_t>>* kept = nullptr) {
    std::optional<Marks> marks;
    if (kept != nullptr) marks.emplace(out, *kept);
    Filter::String sink(&out);
    Filter::MimeHeaderDecode decoder("utf-8", &sink, false, keep, marks ? &*marks : nullptr);
    decoder.process(data, size, false);
    decoder.flush();
}

// Encoded words in a row, which readers join, and text with encoded words
// glued to it, decoded together to be written again. Each atom of encoded
// words is decoded once; the row is decoded again only where that could
// read otherwise: a word kept as it stood, text with words glued to it, or
// words of one charset on both sides of a blank whose texts may read
// otherwise joined than apart.
class Row {
public:
    bool empty() const { return _words.empty(); }

    // Adds an atom that starts with an encoded word (text may be glued to
    // its words) and returns its text decoded on its own, as the name
    // shows it.
    std::string add(const char* atom, size_t size) {
        std::string writing;
        std::vector<std::pair<size_t, size_t>> marks;
        decode(atom, size, writing, true, &marks);
        if (!_words.empty()) {
            _words += ' ';
            std::string charset = edgeCharset(atom, size, false);
            if (!_endsEncoded) {
                // the decoder sets a blank after text, and nothing read
                // before it carries over
                _apart += ' ';
            } else {
                _separate = _separate && (strcasecmp(charset.c_str(), _lastCharset.c_str()) != 0 ||
                                          !Filter::Charset::joinable(charset.c_str()) ||
                                          Filter::Charset::separable(charset.c_str()));
            }
        }
        _separate = _separate && marks.empty();
        _words.append(atom, size);
        _apart += writing;
        _marks = std::move(marks);
        ++_atoms;
        _endsEncoded = endsEncoded(atom, size);
        _lastCharset = edgeCharset(atom, size, true);
        // without a word kept as it stood, the text to write is the text
        if (_marks.empty()) return writing;
        std::string shown;
        decode(atom, size, shown);
        return shown;
    }

    // adds text with encoded words glued after it (see MimeHeaderDecode)
    void text(const std::string& text) {
        if (!_words.empty()) _words += ' ';
        _words += text;
        _again = true;
    }

    // Adds the row's text to write to `written`, and where the words kept
    // as they stood stand in it to `kept`; the row starts again empty.
    void settle(std::string& written, std::vector<std::pair<size_t, size_t>>& kept) {
        if (!_again && _atoms == 1) {
            for (const auto& [start, size] : _marks)
                kept.emplace_back(written.size() + start, size);
            written += _apart;
        } else if (!_again && _separate) {
            written += _apart;
        } else {
            decode(_words.data(), _words.size(), written, true, &kept);
        }
        *this = Row();
    }

private:
    std::string _words;
    std::string _apart;                            // its atoms decoded each on its own, to be written
    std::vector<std::pair<size_t, size_t>> _marks; // the last atom's kept words
    size_t _atoms = 0;
    bool _separate = true;     // the row reads joined as its atoms apart
    bool _again = false;       // it holds text, to be decoded with the row
    bool _endsEncoded = false; // its last atom ends with an encoded word
    std::string _lastCharset;  // of that word
};

// Written bare, a phrase reads back as its words joined by single blanks:
// blanks at its ends or in runs, or none but blanks, need the quotes.
bool bareReadsBack(const std::string& text, const Formatting& format) {
    return format.phrase() && !text.empty() && text.front() != ' ' && text.back() != ' ' &&
           text.find("  ") == std::string::npos;
}

} // namespace

DisplayName::DisplayName(const char* data, size_t size) {
    // the text to write: encoded words whose bytes do not convert as they
    // stood, where the text has U+FFFD
    std::string written;
    // encoded words in a row, which readers join, and text with encoded
    // words glued to it: decoded together for it
    Row row;
    auto settle = [&]() {
        if (!row.empty()) row.settle(written, _kept);
    };
    auto add = [&](const std::string& text) {
        settle();
        _text += text;
        written += text;
    };
    bool pending = false; // blanks or comments came before the next word
    bool encoded = false; // the previous word was an encoded word
    // the previous word went to `words`, whose decoder writes the blank
    // after it
    bool joined = false;
    auto blank = [&]() {
        if (joined)
            _text += ' ';
        else
            add(" ");
    };
    Runs runs;
    Scanner scanner(data, size);
    while (!scanner.atEnd()) {
        if (scanner.at('"')) {
            QuotedString quoted(scanner.here(), scanner.left());
            if (pending && !_text.empty()) add(" ");
            add(quoted.text());
            runs.piece(quoted.text(), false);
            scanner.advance(quoted.consumed());
            pending = encoded = joined = false;
        } else if (scanner.take('.')) {
            if (pending && !_text.empty()) add(" ");
            add(".");
            runs.dot();
            pending = encoded = joined = false;
        } else {
            Atom atom(scanner.here(), scanner.left(), true);
            scanner.advance(atom.consumed());
            if (atom.empty()) {
                // blanks between two quoted strings, or before a dot, keep
                // the phrase going: '"John" "Doe"' is one name
                if (atom.consumed() > 0 && (scanner.at('"') || scanner.at('.'))) {
                    pending = true;
                    continue;
                }
                break;
            }
            bool blanks = pending || atom.leading() > 0;
            if (Filter::MimeWord::length(atom.begin(), atom.length()) > 0) {
                if (blanks && !encoded && !_text.empty()) blank();
                // encoded words and text glued to them are decoded piece by
                // piece, the text staying where it stood
                std::string decoded = row.add(atom.begin(), atom.length());
                _text += decoded;
                runs.piece(decoded, encoded);
                encoded = endsEncoded(atom.begin(), atom.length());
                joined = true;
            } else {
                std::string text = atom.text();
                // encoded words glued after text are read as text here and
                // decoded by other readers, who join them to the encoded
                // words that follow: the decoder keeps them as they stood
                bool glued = text.find("=?") != std::string::npos;
                joined = joined && glued;
                if ((blanks || encoded) && !_text.empty()) blank();
                if (glued) {
                    _text += text;
                    row.text(text);
                } else {
                    add(text);
                }
                runs.piece(text, false);
                encoded = false;
                joined = glued;
            }
            pending = atom.trailing() > 0;
        }
    }
    settle();
    _consumed = scanner.position();
    _longest = runs.longest();
    if (written != _text) _written = std::move(written);
}

DisplayName::DisplayName(const Internal& plain) {
    bool space = false;
    for (size_t i = 0; i < plain.size(); ++i) {
        char c = plain.data()[i];
        // readers of C strings end the name there
        if (c == '\0') throw std::runtime_error("NUL in display name");
        if (Ascii::isSpace(c)) {
            if (!space) _text += ' ';
            space = true;
        } else {
            _text += c;
            space = false;
        }
    }
}

std::string DisplayName::bare() const {
    const std::string& text = writing();
    Formatting format(text.data(), text.size());
    if (bareReadsBack(text, format)) return text;
    std::string out = "\"";
    {
        Filter::String sink(&out);
        Filter::Escape escape(&sink, "\\\"", '\\');
        escape.process(text.data(), text.size(), false);
    }
    return out + '"';
}

size_t DisplayName::encoded(Filter::Result* out, size_t position, size_t limit) const {
    Filter::MimeHeaderEncode encoder(position, limit, Filter::MimeHeaderEncoding(2), out);
    const std::string& text = writing();
    size_t written = 0;
    size_t at = 0; // where the text not yet written starts
    for (const auto& [start, size] : _kept) {
        written += encoder.process(text.data() + at, start - at, false);
        encoder.kept(size);
        written += encoder.process(text.data() + start, size, false);
        at = start + size;
    }
    written += encoder.process(text.data() + at, text.size() - at, false);
    return written + encoder.flush();
}

size_t DisplayName::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    if (_text.empty()) return 0;
    if (folded(caps, false)) return encoded(out, 0, 2147483647);
    Formatting format(_text.data(), _text.size());
    if (bareReadsBack(_text, format)) return out->append(_text.data(), _text.size(), persistent);
    std::string text = bare();
    return out->append(text.data(), text.size(), false);
}

bool DisplayName::folded(const Capabilities& caps, bool lines) const {
    const std::string& text = writing();
    Formatting format(text.data(), text.size());
    return unsafe(text) || lookalike(text) || (lines && _longest + 3 >= caps.preferred()) ||
           (!format.ascii() && !caps.eightbit());
}

size_t DisplayName::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    if (_text.empty()) return 0;
    if (folded(caps, true)) return encoded(out, out->size().bytes(), caps.preferred());
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    return encode(caps, &wrap, persistent) + wrap.flush();
}

size_t DisplayName::encode(const Capabilities& caps, Filter::WordWrap* out, bool) const {
    if (_text.empty()) return 0;
    if (folded(caps, true)) return encoded(out, out->size().bytes(), caps.preferred());
    std::string text = bare();
    // the word wrapper would make a run of blanks one: the quoted string
    // goes whole
    if (text.find("  ") != std::string::npos) return out->keep(text.data(), text.size());
    return out->process(text.data(), text.size(), false);
}

} // namespace Orvanta::Mime
