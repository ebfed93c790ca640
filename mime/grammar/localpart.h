// The local part of an address: dot-separated atoms and quoted strings,
// unquoted and with RFC 2047 encoded-word atoms decoded to UTF-8.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class LocalPart {
public:
    LocalPart(const char* data, size_t size);

    const std::string& text() const { return _text; }
    size_t consumed() const { return _consumed; }
    // raw bytes outside ASCII were read (decoded encoded words do not count)
    bool eightbit() const { return _eightbit; }
    // An encoded word decoded to U+FFFD, which the decoder writes for bytes
    // that are no text in the word's charset (also for UTF-7 that glibc
    // would read leniently, letters dropped): the text may not be the
    // mailbox written.
    bool replaced() const { return _replaced; }

private:
    std::string _text;
    size_t _consumed = 0;
    bool _eightbit = false;
    bool _replaced = false;
};

} // namespace Orvanta::Mime
