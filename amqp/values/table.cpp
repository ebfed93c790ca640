#include "amqp/values/table.h"

#include <ostream>
#include <stdexcept>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/values/stringfield.h"

namespace AMQP {

Table::Table(const Table& other) : Field() {
    for (const auto& [key, field] : other._fields)
        _fields.emplace(key, field->clone());
}

Table::Table(InBuffer& buffer) {
    if (buffer.depth() >= maxNesting) throw ProtocolException("field tables and arrays nested too deeply");
    // The entries are read from a window of exactly the announced size: an
    // entry running past it fails there instead of eating the bytes after
    // the table.
    uint32_t count = buffer.nextUint32();
    ByteBuffer window(buffer.nextData(count), count);
    InBuffer entries(window, buffer);
    while (entries.available() > 0) {
        ShortString key(entries);
        // the last of duplicate keys wins
        _fields[key.value()] = Field::decode(entries);
    }
}

Table& Table::operator=(const Table& other) {
    if (this == &other) return *this;
    // clone first, so that a failure leaves this table as it was
    Table copy(other);
    _fields.swap(copy._fields);
    return *this;
}

Table& Table::operator=(Table&& other) noexcept {
    if (this != &other) _fields = std::move(other._fields);
    return *this;
}

Table& Table::set(const std::string& key, const Field& value) {
    if (key.size() > ShortString::maxLength)
        throw std::runtime_error("table key of " + std::to_string(key.size()) + " bytes is longer than 255");
    _fields[key] = value.clone();
    return *this;
}

Table& Table::set(const std::string& key, const std::string& value) {
    return set(key, LongString(value));
}

const Field& Table::get(const std::string& key) const {
    static const ShortString empty;
    auto found = _fields.find(key);
    if (found == _fields.end()) return empty;
    return *found->second;
}

std::vector<std::string> Table::keys() const {
    std::vector<std::string> keys;
    keys.reserve(_fields.size());
    for (const auto& entry : _fields)
        keys.push_back(entry.first);
    return keys;
}

std::unique_ptr<Field> Table::clone() const {
    return std::make_unique<Table>(*this);
}

size_t Table::size() const {
    size_t size = 4;
    for (const auto& [key, field] : _fields)
        size += 1 + key.size() + 1 + field->size();
    return size;
}

void Table::fill(OutBuffer& buffer) const {
    buffer.add(static_cast<uint32_t>(size() - 4));
    for (const auto& [key, field] : _fields) {
        buffer.add(static_cast<uint8_t>(key.size()));
        buffer.add(key);
        buffer.add(static_cast<uint8_t>(field->typeID()));
        field->fill(buffer);
    }
}

void Table::output(std::ostream& stream) const {
    stream << "table(";
    bool first = true;
    for (const auto& [key, field] : _fields) {
        if (!first) stream << ",";
        first = false;
        stream << key << ":" << *field;
    }
    stream << ")";
}

} // namespace AMQP
