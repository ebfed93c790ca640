#include "mime/message/delimiterscan.h"

#include "mime/message/separator.h"

#include <cstring>

namespace Orvanta::Mime {

// a separator with a line feed in it is no line at all: the reader never
// finds it either
DelimiterScan::DelimiterScan(const Separator& separator)
    : _text(separator.text()), _line(std::memchr(_text.data(), '\n', _text.size()) == nullptr),
      _state(_line ? State::separator : State::other) {}

size_t DelimiterScan::append(const char* data, size_t size, bool) {
    for (size_t i = 0; i < size && !_found; ++i) {
        if (_state == State::other) {
            // the rest of a line that is no delimiter is skipped whole
            auto feed = static_cast<const char*>(std::memchr(data + i, '\n', size - i));
            if (feed == nullptr || !_line) break;
            i = static_cast<size_t>(feed - data);
        }
        step(data[i]);
    }
    return size;
}

void DelimiterScan::step(char c) {
    bool blank = c == ' ' || c == '\t';
    switch (_state) {
    case State::separator:
        if (c == _text[_matched]) {
            if (++_matched == _text.size()) _state = State::after;
            return;
        }
        break;
    case State::after:
        if (c == '-') {
            _state = State::dash;
            return;
        }
        [[fallthrough]];
    case State::padding:
        if (blank) {
            _state = State::padding;
            return;
        }
        if (c == '\r') {
            _state = State::cr;
            return;
        }
        _found = c == '\n';
        break;
    case State::dash:
        // "--" closes; a single hyphen is text after the separator
        if (c == '-') {
            _state = State::padding;
            return;
        }
        break;
    case State::cr:
        // a lone CR ends no line
        _found = c == '\n';
        break;
    case State::other:
        break;
    }
    // the rest of the line is no delimiter; a line feed starts the next one
    if (c == '\n' && _line) {
        _state = State::separator;
        _matched = 0;
    } else {
        _state = State::other;
    }
}

bool DelimiterScan::found() const {
    return _found || _state == State::after || _state == State::padding;
}

} // namespace Orvanta::Mime
