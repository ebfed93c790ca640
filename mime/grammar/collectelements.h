// The walk shared by the address-list parsers: each element of a
// comma-separated list is built leniently and collected (or handed on), or,
// when it is bad, refused (strict) or dropped up to the next ','. The lists write their
// elements back alike, too.
#pragma once

#include "filter/linelength.h"
#include "filter/result.h"
#include "filter/wordwrap.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/delimdetector.h"
#include "mime/grammar/mess.h"
#include "mime/grammar/scanner.h"

#include <cstddef>
#include <exception>
#include <memory>
#include <stdexcept>
#include <vector>

namespace Orvanta::Mime {

// The length of an element of blanks and comments alone, up to the end of
// the text or a byte `follows` accepts; 0 when the element holds more. The
// obsolete list syntax lets one stand anywhere in a list ("a@x, (b)", RFC
// 5322 section 4.4) and a Bcc field be nothing else: it gives no item. A
// broken comment throws.
template <typename Follows>
size_t bareElement(const char* element, size_t length, Follows follows) {
    Scanner scanner(element, length);
    scanner.skipBlanks(true);
    if (!scanner.atEnd() && !follows(scanner.current())) return 0;
    return scanner.position();
}

// What a walk took: the bytes, and whether it passed over an element of
// comments alone, which the list does not hold and cannot write again.
struct Walk {
    size_t consumed = 0;
    bool bare = false;
};

// Builds each element as T(text, size, false) and hands it to `visit`
// (a std::shared_ptr<T>) as soon as it stands; strict, an element that dropped
// a member it could not read is refused too. An element must be followed by
// the end of the text or by a byte that `follows` accepts, else it is
// "characters left behind target".
template <typename T, typename Follows, typename Visit>
Walk walkElements(const char* data, size_t size, bool strict, Follows follows, Visit visit) {
    Walk walk;
    DelimDetector walker(',', [&](const char* element, size_t length) -> size_t {
        std::shared_ptr<T> item;
        try {
            if (size_t bare = bareElement(element, length, follows)) {
                walk.bare = true;
                return bare;
            }
            item = std::make_shared<T>(element, length, false);
            size_t taken = item->consumed();
            if (taken < length && !follows(element[taken]))
                throw std::runtime_error("characters left behind target");
            // a group that dropped a member it could not read is refused as
            // a lone mailbox of that text would be
            if (strict && item->dropped()) throw std::runtime_error("unreadable member in group");
        } catch (std::exception const&) {
            if (strict) throw;
            // lenient: drop the element up to the next ','
            return Mess(element, length, ",").consumed();
        }
        size_t taken = item->consumed();
        visit(std::move(item));
        return taken;
    });
    walk.consumed = walker.parse(data, size);
    return walk;
}

// The same, each element appended to `out`.
template <typename T, typename Follows>
Walk collectElements(const char* data, size_t size, bool strict, Follows follows,
                     std::vector<std::shared_ptr<T>>& out) {
    return walkElements<T>(data, size, strict, follows,
                           [&out](std::shared_ptr<T>&& item) { out.push_back(std::move(item)); });
}

// The elements separated by ", ", each written into `out`: a plain result,
// or a word wrapper that the caller folds, into which each element writes
// so that what it keeps whole stays whole. Returns the bytes written.
template <typename T, typename Out>
size_t joinElements(const std::vector<std::shared_ptr<T>>& elements, const Capabilities& caps, Out* out,
                    bool persistent) {
    size_t written = 0;
    for (size_t i = 0; i < elements.size(); ++i) {
        if (i > 0) written += out->append(", ", 2, true);
        written += elements[i]->encode(caps, out, persistent);
    }
    return written;
}

template <typename T>
size_t encodeElements(const std::vector<std::shared_ptr<T>>& elements, const Capabilities& caps,
                      Filter::Result* out, bool persistent) {
    return joinElements(elements, caps, out, persistent);
}

template <typename T>
size_t encodeElements(const std::vector<std::shared_ptr<T>>& elements, const Capabilities& caps,
                      Filter::WordWrap* out, bool persistent) {
    return joinElements(elements, caps, out, persistent);
}

// The same, folded to the line limits of `caps` after what `out` holds.
template <typename T>
size_t encodeElements(const std::vector<std::shared_ptr<T>>& elements, const Capabilities& caps,
                      Filter::LineLength* out, bool persistent) {
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    return joinElements(elements, caps, &wrap, persistent) + wrap.flush();
}

// Whether every element can be written back as it was read.
template <typename T>
bool elementsWhole(const std::vector<std::shared_ptr<T>>& elements) {
    for (const auto& element : elements)
        if (!element->whole()) return false;
    return true;
}

// Whether every element can be written under `caps`.
template <typename T>
bool elementsEncodable(const std::vector<std::shared_ptr<T>>& elements, const Capabilities& caps) {
    if (caps.eightbit()) return true;
    for (const auto& element : elements)
        if (!element->encodable(caps)) return false;
    return true;
}

} // namespace Orvanta::Mime
