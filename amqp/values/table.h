// An AMQP field table: string keys in ascending byte order, each mapped to one
// owned field. Itself a field, so tables nest.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "amqp/values/field.h"
#include "amqp/values/fieldproxy.h"

namespace AMQP {

class Table : public Field {
public:
    Table() = default;
    Table(const Table& other);
    Table(Table&& other) noexcept = default;
    // decodes the wire form; the entries must fill exactly the announced
    // byte count
    explicit Table(InBuffer& buffer);
    ~Table() override = default;

    Table& operator=(const Table& other);
    Table& operator=(Table&& other) noexcept;

    // stores a copy of value under key, replacing an earlier entry; a key
    // longer than 255 bytes cannot be encoded and is refused
    Table& set(const std::string& key, const Field& value);
    // stores a long string
    Table& set(const std::string& key, const std::string& value);
    Table& set(const std::string& key, const char* value) { return set(key, std::string(value)); }

    bool contains(const std::string& key) const { return _fields.count(key) != 0; }

    // the field under key, or a shared empty short string when there is none
    const Field& get(const std::string& key) const;

    // all keys in ascending order
    std::vector<std::string> keys() const;

    FieldProxy<Table, std::string> operator[](const char* key) { return {this, key}; }
    FieldProxy<Table, std::string> operator[](const std::string& key) { return {this, key}; }

    std::unique_ptr<Field> clone() const override;
    size_t size() const override;
    void fill(OutBuffer& buffer) const override;
    char typeID() const override { return 'F'; }
    void output(std::ostream& stream) const override;

    bool isTable() const override { return true; }

private:
    std::map<std::string, std::unique_ptr<Field>> _fields;
};

} // namespace AMQP
