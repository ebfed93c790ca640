#include "mime/grammar/paramsplitter.h"

#include "filter/utf8.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/paramkey.h"

#include <cstring>

namespace Orvanta::Mime {

namespace {

ParamSplitter::Mode modeOf(const Formatting& formatting, const std::string& value, bool folded) {
    if (!formatting.ascii()) return ParamSplitter::Mode::extended;
    // the percent-encoded form has no blanks a word wrapper could merge
    if (folded && value.find("  ") != std::string::npos) return ParamSplitter::Mode::extended;
    // ',' fits a parameter byte but the strict reader refuses it bare; bare,
    // '*' and '\'' read as a section or a charset to some readers ("a*b" as
    // "a"); and a token cannot be empty
    if (formatting.param() && !value.empty() && value.find_first_of(",*'") == std::string::npos)
        return ParamSplitter::Mode::bare;
    return ParamSplitter::Mode::quoted;
}

bool percentEncoded(char byte) {
    return !Ascii::isPrint(byte) || Ascii::inSet(byte, " *'%()<>@,;:\\\"/[]?=");
}

} // namespace

ParamSplitter::ParamSplitter(Filter::Result* target, const ParamKey& key, const std::string& value,
                             size_t limit, bool folded)
    : Filter::Filter(target), _target(target), _key(&key), _formatting(value.data(), value.size()),
      _mode(modeOf(_formatting, value, folded)), _limit(limit),
      _charset(::Orvanta::Filter::Utf8::charset(::Orvanta::Filter::Utf8::valid(value.data(), value.size()))),
      _percent(target) {
    _split = enabled(value);
}

size_t ParamSplitter::cost(char byte) const {
    switch (_mode) {
    case Mode::quoted:
        return (byte == '\\' || byte == '"') ? 2 : 1;
    case Mode::extended:
        return percentEncoded(byte) ? 3 : 1;
    default:
        return 1;
    }
}

bool ParamSplitter::enabled(const std::string& value) const {
    long long room = static_cast<long long>(_limit) - 1 - static_cast<long long>(_key->name().size());
    if (_mode == Mode::quoted) room -= 2;
    if (_mode == Mode::extended) room -= 3 + static_cast<long long>(std::strlen(_charset));
    long long length = 0;
    for (char byte : value)
        length += static_cast<long long>(cost(byte));
    return length > room;
}

size_t ParamSplitter::nextline(bool persistent) {
    size_t written = 0;
    if (_sections > 0 && _mode == Mode::quoted) written += _target->append("\"", 1, true);
    // each section is a parameter of its own: without the ';' a reader
    // would stop after the first one
    if (_sections > 0) written += _target->append(";", 1, true);
    if (_split) written += _target->append("\r\n ", 3, true);
    written += _target->append(_key->name().data(), _key->name().size(), persistent);
    _column = _key->name().size() + (_split ? 1 : 0);
    std::string header;
    if (_split) header += "*" + std::to_string(_sections);
    if (_mode == Mode::extended) header += '*';
    header += '=';
    if (_mode == Mode::quoted) {
        header += '"';
        ++_column; // the quote takes two columns with the closing one
    }
    if (_mode == Mode::extended && _sections == 0) header += std::string(_charset) + "''";
    _column += header.size();
    written += _target->append(header.data(), header.size(), false);
    ++_sections;
    _filled = false;
    return written;
}

size_t ParamSplitter::write(const char* data, size_t size, bool persistent) {
    if (size == 0) return 0;
    if (_mode == Mode::extended) return _percent.process(data, size, persistent);
    size_t written = 0;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] != '\\' && data[i] != '"') continue;
        written += _target->append(data + start, i - start, persistent);
        written += _target->append("\\", 1, true);
        start = i;
    }
    return written + _target->append(data + start, size - start, persistent);
}

size_t ParamSplitter::process(const char* data, size_t size, bool persistent) {
    size_t written = 0;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        size_t width = cost(data[i]);
        // a split line keeps one column for the ';' that ends its section
        if (_split && _filled && _column + width + 1 > _limit) {
            written += write(data + start, i - start, persistent);
            start = i;
            written += nextline(persistent);
        }
        _column += width;
        _filled = true;
    }
    return written + write(data + start, size - start, persistent);
}

size_t ParamSplitter::finish() {
    if (_mode != Mode::quoted || _sections == 0) return 0;
    _sections = 0;
    return _target->append("\"", 1, true);
}

} // namespace Orvanta::Mime
