#include "filter/charset.h"

#include "filter/convertercache.h"
#include "filter/string.h"
#include "filter/utf8.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <strings.h>
#include <utility>

namespace Orvanta::Filter {

namespace {

// The name iconv knows for a charset name seen in mail: spellings of
// US-ASCII that iconv lacks ("ansi-x3.4-1968" beside its "ANSI_X3.4-1968")
// become the one it has; other names pass unchanged. std::string refuses a
// null name with std::logic_error before iconv sees it.
std::string known(const char* name) {
    std::string text(name);
    for (const char* spelling : {"ansi-x3.4-1968", "us-ascii", "ascii"})
        if (strcasecmp(text.c_str(), spelling) == 0) return "US-ASCII";
    return text;
}

// Bytes in a charset nobody can name ("unknown-8bit", RFC 1428) pass as
// they are: a conversion could only drop them, without a word.
bool passing(const std::string& from) {
    return strcasecmp(from.c_str(), "unknown-8bit") == 0;
}

bool utf8(const std::string& name) {
    return strcasecmp(name.c_str(), "utf-8") == 0 || strcasecmp(name.c_str(), "utf8") == 0;
}

// the usual spellings of UTF-7 and its IMAP form, read without asking iconv
bool utf7(const std::string& name) {
    for (const char* spelling : {"utf-7", "utf7", "utf-7-imap"})
        if (strcasecmp(name.c_str(), spelling) == 0) return true;
    return false;
}

// Whether iconv reads the source as UTF-8, which glibc knows by other names
// as well ("ISO-IR-193", "ISO-10646/UTF8/"): characters of one to four
// bytes come out as they went in.
bool readsUtf8(iconv_t decoder) {
    char sample[] = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80";
    char buffer[sizeof sample];
    char* in = sample;
    size_t left = sizeof sample - 1;
    char* out = buffer;
    size_t room = sizeof buffer;
    size_t result = iconv(decoder, &in, &left, &out, &room);
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    return result != static_cast<size_t>(-1) && left == 0 &&
           std::string(buffer, static_cast<size_t>(out - buffer)) == std::string(sample, sizeof sample - 1);
}

const iconv_t none = reinterpret_cast<iconv_t>(-1);

// What a probe's descriptor writes for `text`: whether it read all of it
// without complaint, what it wrote, and, with `end`, what it writes once
// told the text ended.
struct Probed {
    bool took;
    std::string written;
    std::string ended;
};

Probed probe(iconv_t descriptor, std::string text, bool end) {
    char buffer[64];
    char* in = text.data();
    size_t left = text.size();
    char* out = buffer;
    size_t room = sizeof buffer;
    Probed result{iconv(descriptor, &in, &left, &out, &room) != static_cast<size_t>(-1), {}, {}};
    result.written.assign(buffer, static_cast<size_t>(out - buffer));
    if (end) {
        char* mark = out;
        iconv(descriptor, nullptr, nullptr, &out, &room);
        result.ended.assign(mark, static_cast<size_t>(out - mark));
    }
    return result;
}

// Whether iconv reads the source as UTF-7, and then whether in its IMAP form
// (true). glibc opens its lenient readers of the two under many names
// ("UTF7", "utf-7//IGNORE", "UTF-7-IMAP/", "UTF-7 " with a blank), and the
// filter's own reader must stand in for them under every one: the name as
// spelled decides nothing. "+AOk-" is an e acute in UTF-7 alone, "&AOk-" in
// the IMAP form alone.
std::optional<bool> readsUtf7(iconv_t decoder) {
    Probed read = probe(decoder, "+AOk-&AOk-", true);
    if (!read.took) return std::nullopt;
    std::string text = read.written + read.ended;
    if (text == "\xc3\xa9&AOk-") return false;
    if (text == "+AOk-\xc3\xa9") return true;
    return std::nullopt;
}

// What a fresh writer of the charset makes of "A", and of a second "A"
// after it: the first may open the text with a byte order mark, the second
// is one code unit. Empty where the charset cannot be written.
std::array<std::string, 2> letterTwice(const std::string& charset) {
    std::array<std::string, 2> written;
    iconv_t writer = iconv_open(charset.c_str(), "UTF-8");
    if (writer == none) return written;
    for (std::string& text : written) {
        Probed letter = probe(writer, "A", false);
        if (letter.took) text = letter.written;
    }
    iconv_close(writer);
    return written;
}

// What `learn` finds out about a charset by converting with it, learned
// once per name in the process: words of a header value name the same few
// charsets over and over. The names come from the text, so that only the
// first few hundred are kept.
bool remembered(const char* fact, const std::string& name, const std::function<bool()>& learn) {
    static std::mutex lock;
    static std::map<std::string, bool> learned;
    std::string key = std::string(fact) + ':' + name;
    for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    {
        std::lock_guard<std::mutex> guard(lock);
        auto found = learned.find(key);
        if (found != learned.end()) return found->second;
    }
    bool value = learn();
    std::lock_guard<std::mutex> guard(lock);
    if (learned.size() < 512) learned.emplace(key, value);
    return value;
}

// The bytes the target may take for one byte of UTF-8, a transliteration
// and the shifts around it included: glibc's widest in the C locale take
// under ten ("(C)" for U+00A9 between ISO-2022-KR's shifts, 11 for 2).
constexpr size_t widest = 64;
// the writer's output buffer at most: room for 256 bytes of input a call
constexpr size_t writerRoom = 16384;

// The longest start of the UTF-8 text, at most `limit` bytes, that a
// character the limit cuts does not end; 0 when the first one does not fit.
size_t wholeCharacters(const char* data, size_t size, size_t limit) {
    if (limit >= size) return size;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(data[end]) & 0xc0) == 0x80)
        --end;
    return end;
}

// The length of the sequence glibc writes for a code point past U+10FFFF
// (up to 0x7FFFFFFF, in up to six bytes), from its lead byte.
size_t longForm(unsigned char lead) {
    return lead >= 0xfc ? 6 : lead >= 0xf8 ? 5 : 4;
}

} // namespace

class Charset::Utf7Output : public Utf7::Output {
public:
    explicit Utf7Output(Charset& charset) : _charset(charset) {}
    size_t text(const char* data, size_t size) override { return _charset.onward(data, size); }
    size_t invalid() override { return _charset.replace(); }

private:
    Charset& _charset;
};

Charset::Charset(const char* from, const char* to, Result* next) : Charset(from, to, next, std::string()) {}

Charset::Charset(const char* from, const char* to, Result* next, std::string replacement, bool strict)
    : Filter(next), _passing(passing(from)), _from(known(from)), _replacement(std::move(replacement)) {
    if (_passing) return;
    _to = known(to);
    if (utf7(_from)) {
        _utf7.emplace(strcasecmp(_from.c_str(), "utf-7-imap") == 0, strict);
    } else if (!utf8(_from)) {
        _decoder = open("UTF-8", _from, joinable(_from.c_str()));
        if (!_decoder) throw std::runtime_error("Conversion not possible");
        if (std::optional<bool> imap = readsUtf7(_decoder.get())) {
            _utf7.emplace(*imap, strict);
            _decoder.reset();
        } else if (readsUtf8(_decoder.get())) {
            _decoder.reset();
        }
    }
    if (!utf8(_to)) {
        _encoder = open(_to + "//TRANSLIT", "UTF-8", joinable(_to.c_str()));
        if (!_encoder) throw std::runtime_error("Conversion not possible");
    }
}

Charset::~Charset() {
    if (!_passing && !_ended) reset();
}

Charset::Descriptor::Descriptor(std::string to, std::string from, bool kept)
    : _kept(kept), _to(std::move(to)), _from(std::move(from)) {
    iconv_t descriptor = kept ? ConverterCache::take(_to, _from) : iconv_open(_to.c_str(), _from.c_str());
    if (descriptor != none) _descriptor = descriptor;
}

Charset::Descriptor& Charset::Descriptor::operator=(Descriptor&& other) noexcept {
    if (this == &other) return *this;
    reset();
    _descriptor = other._descriptor;
    _kept = other._kept;
    other._descriptor = nullptr;
    _to = std::move(other._to);
    _from = std::move(other._from);
    return *this;
}

void Charset::Descriptor::reset() {
    if (_descriptor != nullptr && _kept)
        ConverterCache::give(_to, _from, _descriptor);
    else if (_descriptor != nullptr)
        iconv_close(_descriptor);
    _descriptor = nullptr;
}

Charset::Descriptor Charset::open(const std::string& to, const std::string& from, bool kept) {
    return Descriptor(to, from, kept);
}

size_t Charset::process(const char* data, size_t size, bool persistent) {
    if (_passing) return next->append(data, size, persistent);
    if (size == 0) return 0;
    _ended = false;
    if (!_pending.empty()) {
        std::string joined = std::move(_pending);
        _pending.clear();
        joined.append(data, size);
        return dispatch(joined.data(), joined.size());
    }
    return dispatch(data, size);
}

size_t Charset::dispatch(const char* data, size_t size) {
    if (_utf7) {
        Utf7Output out(*this);
        return _utf7->decode(data, size, out);
    }
    if (_decoder) return decode(data, size);
    return _encoder ? fromUtf8(data, size) : copy(data, size);
}

size_t Charset::copy(const char* data, size_t size) {
    size_t total = 0;
    while (size > 0) {
        size_t good = Utf8::wellFormed(data, size);
        if (good > 0) total += next->append(data, good, false);
        data += good;
        size -= good;
        if (size > 0) total += badUtf8(data, size);
    }
    return total;
}

size_t Charset::fromUtf8(const char* data, size_t size) {
    size_t total = 0;
    // the bytes ahead in which no sequence past U+10FFFF begins
    size_t clear = 0;
    while (size > 0) {
        if (clear == 0) clear = Utf8::withinUnicode(data, size);
        size_t left = clear;
        encode(data, left, total);
        size -= clear - left;
        clear = left;
        if (size == 0) break;
        size_t before = size;
        total += badUtf8(data, size);
        clear -= std::min(clear, before - size);
    }
    return total;
}

size_t Charset::badUtf8(const char*& data, size_t& size) {
    if (Utf8::sequence(data, size) > size) {
        // A character continues in the next piece.
        _pending.assign(data, size);
        size = 0;
        return 0;
    }
    ++data;
    --size;
    return replace();
}

size_t Charset::decode(const char* data, size_t size) {
    size_t total = 0;
    while (size > 0) {
        size_t before = size;
        int error = convert(data, size, total);
        if (size != before) _reported = false;
        if (error == 0) break;
        if (error == EINVAL) {
            // A multibyte sequence continues in the next piece.
            _pending.assign(data, size);
            break;
        }
        if (!_reported) {
            // Iconv may report a sequence it has already consumed (a
            // shift-out with no designation in ISO-2022-CN-EXT): only
            // when it stops here again is the sequence here. A letter the
            // reader holds back came before it, and no mark can join it
            // now.
            if (holdsLetters()) total += release();
            total += replace();
            _reported = true;
            continue;
        }
        size_t skipped = std::min(unit(), size);
        data += skipped;
        size -= skipped;
        _reported = false;
    }
    return total;
}

size_t Charset::decoded(const char* data, size_t size) {
    size_t total = 0;
    while (size > 0) {
        size_t good = Utf8::withinUnicode(data, size);
        if (good > 0) total += onward(data, good);
        data += good;
        size -= good;
        if (size == 0) break;
        size_t length = std::min(size, longForm(static_cast<unsigned char>(*data)));
        data += length;
        size -= length;
        total += replace();
    }
    return total;
}

size_t Charset::onward(const char* data, size_t size) {
    return _encoder ? fromUtf8(data, size) : next->append(data, size, false);
}

int Charset::convert(const char*& data, size_t& size, size_t& total) {
    // glibc's TSCII reader, finding the output too small for all the
    // letters one byte stands for, loses one of them: the reader too is
    // never given more input than its output surely takes.
    _read.resize(std::max(_read.size(), std::min(writerRoom, widest * (size + 1))));
    size_t limit = _read.size() / widest;
    char* in = const_cast<char*>(data); // iconv's prototype is not const-correct
    int error = 0;
    while (size > 0) {
        char* out = _read.data();
        size_t room = _read.size();
        size_t window = std::min(size, limit);
        size_t left = window;
        size_t result = iconv(_decoder.get(), &in, &left, &out, &room);
        bool cut = window < size;
        size -= window - left;
        error = result == static_cast<size_t>(-1) ? errno : 0;
        auto written = static_cast<size_t>(out - _read.data());
        if (written > 0) total += decoded(_read.data(), written);
        if (error == EINVAL && cut) {
            // A sequence the window cuts is read in the next one, which
            // starts with it; one longer than a window gets the rest.
            if (left == window) limit = size;
            continue;
        }
        if (error == EINVAL || error == EILSEQ) break;
        if (error != 0 && error != E2BIG) throw std::runtime_error("Conversion failed");
    }
    data = in;
    return error == E2BIG ? 0 : error;
}

int Charset::encode(const char*& data, size_t& size, size_t& total) {
    // glibc's transliteration, finding the output too small for all it
    // writes, takes its bytes back but keeps the shift state they left: the
    // writer is never given more input than its output surely takes.
    _written.resize(std::max(_written.size(), std::min(writerRoom, widest * (size + 1))));
    char* begin = _written.data();
    char* out = begin;
    char* in = const_cast<char*>(data); // iconv's prototype is not const-correct
    int error = 0;
    while (size > 0 && error == 0) {
        size_t room = _written.size() - static_cast<size_t>(out - begin);
        size_t limit = std::min(size, room / widest);
        // Within its first call glibc writes a byte order mark, or
        // ISO-2022-KR's designation, again before a transliteration: that
        // call takes one character, however the text was cut.
        if (!_begun) limit = std::min(limit, std::max<size_t>(1, Utf8::sequence(in, size)));
        size_t window = wholeCharacters(in, size, limit);
        if (window == 0 && out != begin) {
            total += next->append(begin, static_cast<size_t>(out - begin), false);
            out = begin;
            continue;
        }
        // continuation bytes without end, which iconv refuses
        if (window == 0) window = limit;
        char* before = out;
        size_t left = window;
        size_t result = iconv(_encoder.get(), &in, &left, &out, &room);
        size -= window - left;
        _begun = _begun || left < window;
        error = result == static_cast<size_t>(-1) ? errno : 0;
        // A full output is emptied and the rest goes on; one that took
        // nothing cannot be helped.
        if (error == E2BIG && out != before) error = 0;
        if (error != 0 && error != EINVAL && error != EILSEQ) throw std::runtime_error("Conversion failed");
    }
    if (out != begin) total += next->append(begin, static_cast<size_t>(out - begin), false);
    data = in;
    return error;
}

size_t Charset::replace() {
    _replaced = true;
    if (_replacement.empty()) return 0;
    if (!_encoder) return next->append(_replacement.data(), _replacement.size(), false);
    if (!_encodable) {
        // Where the target lacks the replacement, its "?" stands instead:
        // glibc's transliteration would write the ISO-2022-KR designation
        // twice when the first thing written is transliterated.
        Descriptor probe = open(_to, "UTF-8", joinable(_to.c_str()));
        char* in = _replacement.data();
        size_t left = _replacement.size();
        char buffer[64];
        char* out = buffer;
        size_t room = sizeof buffer;
        bool held = probe && iconv(probe.get(), &in, &left, &out, &room) != static_cast<size_t>(-1);
        _encodable = held ? _replacement : "?";
    }
    const char* data = _encodable->data();
    size_t size = _encodable->size();
    size_t total = 0;
    // a replacement the target cannot write at all is left out
    encode(data, size, total);
    return total;
}

size_t Charset::unit() {
    if (_unit != 0) return _unit;
    size_t second = letterTwice(_from)[1].size();
    _unit = second == 2 || second == 4 ? second : 1;
    return _unit;
}

bool Charset::joinable(const char* charset) {
    std::string name = known(charset);
    if (utf7(name)) return false;
    return remembered("joinable", name, [&name] {
        // "A" as a text of its own, twice over, must read "AA": a byte
        // order mark in the middle of a text is a character.
        std::string alone = letterTwice(name)[0];
        Descriptor reader = open("UTF-8", name);
        if (reader && readsUtf7(reader.get())) return false;
        if (alone.empty() || !reader) return true;
        Probed twice = probe(reader.get(), alone + alone, true);
        return twice.written + twice.ended == "AA";
    });
}

bool Charset::converts(const std::string& from, const char* to) {
    return remembered((std::string("converts to ") + to).c_str(), from, [&from, to] {
        try {
            std::string ignored;
            String sink(&ignored);
            Charset opened(from.c_str(), to, &sink);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    });
}

bool Charset::separable(const char* charset) {
    std::string name = known(charset);
    if (utf8(name)) return true;
    if (utf7(name) || passing(name)) return false;
    return remembered("separable", name, [&name] {
        Descriptor reader = open("UTF-8", name);
        if (!reader) return false;
        for (int byte = 0; byte < 256; ++byte) {
            char in = static_cast<char>(byte);
            char* from = &in;
            size_t left = 1;
            char buffer[64];
            char* out = buffer;
            size_t room = sizeof buffer;
            bool took = iconv(reader.get(), &from, &left, &out, &room) != static_cast<size_t>(-1);
            // a byte that starts a longer sequence, or that the reader
            // refuses in a way other than as no character
            if (!took && errno != EILSEQ) return false;
            char* mark = out;
            iconv(reader.get(), nullptr, nullptr, &out, &room);
            // a shift, or a letter held until the reader knows what follows
            if (took && (mark == buffer || out != mark)) return false;
        }
        return true;
    });
}

bool Charset::holdsLetters() {
    if (_holds) return *_holds;
    _holds = remembered("holds letters", _from, [this] {
        Descriptor reader = open("UTF-8", _from);
        // A byte read whole that writes nothing until the reader is told
        // the text ended.
        for (int byte = 0; reader && byte < 256; ++byte) {
            Probed letter = probe(reader.get(), std::string(1, static_cast<char>(byte)), true);
            if (letter.took && letter.written.empty() && !letter.ended.empty()) return true;
        }
        return false;
    });
    return *_holds;
}

size_t Charset::release() {
    if (!_decoder) return 0;
    char buffer[64];
    char* out = buffer;
    size_t room = sizeof buffer;
    iconv(_decoder.get(), nullptr, nullptr, &out, &room);
    return decoded(buffer, static_cast<size_t>(out - buffer));
}

size_t Charset::reset() {
    // UTF-8 between reader and writer has no state of its own
    size_t total = release();
    if (!_encoder) return total;
    char buffer[64];
    char* out = buffer;
    size_t room = sizeof buffer;
    iconv(_encoder.get(), nullptr, nullptr, &out, &room);
    if (out == buffer) return total;
    return total + next->append(buffer, static_cast<size_t>(out - buffer), false);
}

size_t Charset::finish() {
    if (_passing || _ended) return 0;
    _ended = true;
    _reported = false;
    // what the reader still holds comes before a sequence the end cut off
    size_t total = release();
    if (!_pending.empty()) {
        _pending.clear();
        total += replace();
    }
    if (_utf7) {
        Utf7Output out(*this);
        total += _utf7->finish(out);
    }
    return total + reset();
}

size_t Charset::flush() {
    return next->flush();
}

} // namespace Orvanta::Filter
