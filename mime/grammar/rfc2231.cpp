#include "mime/grammar/rfc2231.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/scanner.h"

#include <exception>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

// whether the '=' comes next, perhaps after blanks and comments, which RFC
// 2045 allows around it
bool equalsFollows(const Scanner& scanner) {
    Scanner ahead(scanner.here(), scanner.left());
    try {
        ahead.skipBlanks(true);
    } catch (const std::exception&) {
        // an unfinished comment: no '=' after it
        return false;
    }
    return ahead.at('=');
}

} // namespace

Rfc2231::Rfc2231(const char* data, size_t size) {
    Scanner scanner(data, size);
    while (scanner.atOne(Ascii::isDigit)) {
        _sectioned = true;
        _extended = false;
        _section = _section * 10 + static_cast<size_t>(scanner.next() - '0');
        if (_section > maximumSection) _section = maximumSection;
    }
    bool star = false;
    while (!scanner.atEnd()) {
        if (equalsFollows(scanner)) {
            _consumed = scanner.position();
            return;
        }
        if (!scanner.take('*')) throw std::runtime_error("another asterisk expected");
        if (!_sectioned) throw std::runtime_error("section number if missing");
        if (star) throw std::runtime_error("too many asterisks");
        star = _extended = true;
    }
    throw std::runtime_error("end of parameter key not found");
}

} // namespace Orvanta::Mime
