#include "amqp/values/array.h"

#include <ostream>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/values/stringfield.h"

namespace AMQP {

Array::Array(const Array& other) : Field() {
    _fields.reserve(other._fields.size());
    for (const auto& field : other._fields)
        _fields.push_back(field->clone());
}

Array::Array(InBuffer& buffer) {
    if (buffer.depth() >= maxNesting) throw ProtocolException("field tables and arrays nested too deeply");
    // a window of exactly the announced size, as for a table
    uint32_t count = buffer.nextUint32();
    ByteBuffer window(buffer.nextData(count), count);
    InBuffer elements(window, buffer);
    while (elements.available() > 0)
        _fields.push_back(Field::decode(elements));
}

Array& Array::operator=(const Array& other) {
    if (this == &other) return *this;
    Array copy(other);
    _fields.swap(copy._fields);
    return *this;
}

Array& Array::operator=(Array&& other) noexcept {
    if (this != &other) _fields = std::move(other._fields);
    return *this;
}

void Array::push_back(const Field& value) {
    _fields.push_back(value.clone());
}

void Array::pop_back() {
    if (!_fields.empty()) _fields.pop_back();
}

const Field& Array::get(size_t index) const {
    static const ShortString empty;
    if (index >= _fields.size()) return empty;
    return *_fields[index];
}

std::unique_ptr<Field> Array::clone() const {
    return std::make_unique<Array>(*this);
}

size_t Array::size() const {
    size_t size = 4;
    for (const auto& field : _fields)
        size += 1 + field->size();
    return size;
}

void Array::fill(OutBuffer& buffer) const {
    buffer.add(static_cast<uint32_t>(size() - 4));
    for (const auto& field : _fields) {
        buffer.add(static_cast<uint8_t>(field->typeID()));
        field->fill(buffer);
    }
}

void Array::output(std::ostream& stream) const {
    stream << "array(";
    for (size_t i = 0; i < _fields.size(); ++i)
        stream << (i ? "," : "") << *_fields[i];
    stream << ")";
}

} // namespace AMQP
