// A bounds-checked cursor over header text, shared by the token classes: each
// read is checked against the end, so a token walks its bytes without
// indexing past them, and says how far it got as a position.
#pragma once

#include <cstddef>
#include <stdexcept>

namespace Orvanta::Mime {

class Scanner {
public:
    Scanner(const char* data, size_t size) : _data(data), _size(size) {}

    size_t position() const { return _position; }
    const char* here() const { return _data + _position; }
    size_t left() const { return _size - _position; }
    bool atEnd() const { return _position == _size; }

    // whether the byte at the position is `c`, or one `accepts`; never at
    // the end
    bool at(char c) const { return _position < _size && _data[_position] == c; }
    template <typename Accepts>
    bool atOne(Accepts accepts) const {
        return _position < _size && accepts(_data[_position]);
    }

    // the byte at the position; reading at the end is a logic error
    char current() const {
        check(1);
        return _data[_position];
    }
    // the byte at the position, stepping over it
    char next() {
        check(1);
        return _data[_position++];
    }
    // steps over `count` bytes, which must be there
    void advance(size_t count) {
        check(count);
        _position += count;
    }
    // steps over the byte when it is `c`
    bool take(char c) {
        if (!at(c)) return false;
        ++_position;
        return true;
    }
    // steps over the bytes that `accepts`; returns how many
    template <typename Accepts>
    size_t skipWhile(Accepts accepts) {
        size_t start = _position;
        while (atOne(accepts))
            ++_position;
        return _position - start;
    }
    // steps over white space and, with `comments`, comments between it (a
    // broken comment throws); returns how many bytes
    size_t skipBlanks(bool comments);

private:
    void check(size_t count) const {
        if (count > _size - _position) throw std::logic_error("header text read past its end");
    }

    const char* _data;
    size_t _size;
    size_t _position = 0;
};

} // namespace Orvanta::Mime
