// Parses arbitrary bytes as a whole message, walks the tree, asks the header
// its questions, edits a copy's header with the input's own values and writes
// the message back under both presets. Written under the UTF-8 preset, an
// unedited message is the input with its line feeds made CR LF (and ending
// in CR LF), but for the bodies labelled binary, which are copied untouched;
// a second parse-and-write pass changes nothing, nor does one under the
// standard preset when the first wrote 7-bit text. A message that fix makes
// 7-bit has the same part tree and the same decoded leaves as before.
#include "filter/string.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/contenttype.h"
#include "mime/message/contenttransferencoding.h"
#include "mime/message/epilogue.h"
#include "mime/message/fatalerror.h"
#include "mime/message/object.h"
#include "mime/message/preamble.h"
#include "mime/message/translator.h"
#include "mime/tests/crlf.h"
#include "mime/tests/transportable.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace {

using Orvanta::Mime::Test::crlf;
using Orvanta::Mime::Test::transportable;

void walk(const Orvanta::Mime::Object& object) {
    const Orvanta::Mime::Header& header = object.header;
    header.get("content-type");
    header.all("to");
    header.valid();
    header.eightbit();
    object.body.eightbit();
    object.body.valid();
    object.encodable(Orvanta::Mime::Capabilities::standard());
    for (const auto& part : object.body.parts())
        walk(*part);
}

std::string written(const Orvanta::Mime::Object& object, const Orvanta::Mime::Capabilities& caps) {
    std::string out;
    Orvanta::Filter::String sink(&out);
    object.encode(caps, &sink, true);
    return out;
}

std::string written(const std::string& text, const Orvanta::Mime::Capabilities& caps) {
    return written(Orvanta::Mime::Object(text.data(), text.size()), caps);
}

bool binary(const Orvanta::Mime::Object& object) {
    return !object.header.multipart() && Orvanta::Mime::ContentTransferEncoding(object.header).encoding() ==
                                             Orvanta::Mime::ContentTransferEncoding::binary;
}

// the bodies labelled binary, with whether a delimiter line follows them
void binaries(const Orvanta::Mime::Object& object,
              std::vector<std::pair<const Orvanta::Mime::Body*, bool>>& out) {
    if (binary(object)) out.emplace_back(&object.body, !object.boundary.empty());
    for (const auto& part : object.body.parts())
        binaries(*part, out);
}

// The input as the UTF-8 preset writes it unedited: line feeds made CR LF,
// but in a binary body, which is copied as it is and followed by a CR LF
// unless it ends with one (a lone LF before a delimiter is the delimiter's
// line end; a last CR is content).
std::string identity(const char* text, size_t size, const Orvanta::Mime::Object& object) {
    std::vector<std::pair<const Orvanta::Mime::Body*, bool>> raw;
    binaries(object, raw);
    std::string out;
    size_t at = 0;
    for (const auto& [body, delimited] : raw) {
        if (body->size() == 0) continue;
        auto start = static_cast<size_t>(body->data() - text);
        out += crlf(std::string(text + at, start - at));
        std::string bytes(body->data(), body->size());
        if (delimited && bytes.back() == '\n' && (bytes.size() == 1 || bytes[bytes.size() - 2] != '\r'))
            bytes.pop_back();
        out += bytes;
        bool ended = bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0;
        if (!ended) out += "\r\n";
        at = start + body->size();
    }
    // the message's last line end is there already when a binary body ended it
    if (at == size && at != 0 && !out.empty()) return out;
    return out + crlf(std::string(text + at, size - at), true);
}

// Whether a leaf's content is made of lines; a repair puts any other in
// base64, every byte of it. A type that does not parse here, or holds bytes
// no token may, is what its first word says to other readers: lines where
// that is text before the slash, or where nothing could be a type in a
// value that does not parse, which is text/plain.
bool lines(const Orvanta::Mime::Header& header) {
    using Orvanta::Mime::ContentType;
    const Orvanta::Mime::Value& value = header.get("content-type");
    bool parsed = true;
    try {
        ContentType::Type type(value.data(), value.size());
        if (type.tokens()) return type.main("text") || type.main("message");
    } catch (const std::exception&) {
        parsed = false;
    }
    ContentType::Type::Loose word = ContentType::Type::loose(value.data(), value.size());
    return (word.slash &&
            Orvanta::Mime::Ascii::sameNoCase(word.first.data(), word.first.size(), "text", 4)) ||
           (!parsed && word.first.size() == 0);
}

// The part tree and every leaf's decoded content, line ends made CR LF. A
// leaf's last line end is left out: before a delimiter it is the
// delimiter's, and at the end of the message the writer adds one.
std::string leaves(const Orvanta::Mime::Object& object) {
    using namespace Orvanta::Mime;
    const Body& body = object.body;
    if (object.header.multipart() && !body.unparsed()) {
        std::string out = "multipart(" + crlf(std::string(body.preamble().data(), body.preamble().size()));
        for (const auto& child : body.parts())
            out += "|part(" + leaves(*child) + ")";
        return out + "|" + crlf(std::string(body.epilogue().data(), body.epilogue().size())) + ")";
    }
    ContentTransferEncoding encoding(object.header);
    std::string decoded;
    if (binary(object) || encoding == ContentTransferEncoding::base64 || !lines(object.header)) {
        // A repair turns a binary body, and content without lines, into
        // base64. Which of the line ends at its end were content and which
        // the delimiter's is read two ways (a lone CR kept or completed, a
        // CR LF kept or taken by the delimiter), so these leaves are
        // compared less all of them.
        if (binary(object)) {
            decoded.assign(body.data(), body.size());
        } else {
            Orvanta::Filter::String sink(&decoded);
            Translator translator(encoding, ContentTransferEncoding::binary, &sink);
            translator.append(body.data(), body.size(), false);
        }
        while (!decoded.empty() && (decoded.back() == '\n' || decoded.back() == '\r'))
            decoded.pop_back();
        return crlf(decoded);
    }
    size_t size = body.size();
    if (size > 0 && body.data()[size - 1] == '\n') --size;
    if (size > 0 && body.data()[size - 1] == '\r') --size;
    Orvanta::Filter::String sink(&decoded);
    Translator translator(encoding, ContentTransferEncoding::binary, &sink);
    translator.append(body.data(), size, false);
    return crlf(decoded);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        Orvanta::Mime::Object object(reinterpret_cast<const char*>(data), size);
        walk(object);
        Orvanta::Mime::Object copy(object);
        if (object.header.size() > 0) {
            // the first value, as text, set under names that route to typed values
            const Orvanta::Mime::Value& first = object.header[0].value;
            std::string value(first.data(), first.size());
            for (const char* name : {"Content-Type", "To", "Subject", "Content-Disposition", "X-Other"}) {
                copy.header.set(name, value.c_str());
                copy.header.append(name, value.c_str());
            }
            copy.header.remove("x-other");
        }
        std::string out;
        Orvanta::Filter::String sink(&out);
        copy.encode(Orvanta::Mime::Capabilities::utf8(), &sink, true);
        object.encode(Orvanta::Mime::Capabilities::standard(), &sink, false);
        const char* text = reinterpret_cast<const char*>(data);
        std::string input(text, size);
        std::string same = written(object, Orvanta::Mime::Capabilities::utf8());
        if (same != identity(text, size, object)) __builtin_trap();
        // a repair for a 7-bit transport keeps every part and what it holds
        Orvanta::Mime::Object fixable(input.data(), input.size());
        if (fixable.fix(Orvanta::Mime::Capabilities::standard())) {
            std::string repaired = written(fixable, Orvanta::Mime::Capabilities::standard());
            Orvanta::Mime::Object before(same.data(), same.size());
            Orvanta::Mime::Object after(repaired.data(), repaired.size());
            if (leaves(after) != leaves(before)) __builtin_trap();
        }
        // once written under the UTF-8 preset, or in 7-bit text for a 7-bit
        // transport, a message is written the same again
        for (const auto* caps :
             {&Orvanta::Mime::Capabilities::utf8(), &Orvanta::Mime::Capabilities::standard()}) {
            std::string once = written(input, *caps);
            if ((caps->eightbit() || transportable(once)) && written(once, *caps) != once) __builtin_trap();
        }
    } catch (const Orvanta::Mime::FatalError&) {
        // only an empty input may be refused
        if (size != 0) __builtin_trap();
    }
    return 0;
}
