// An AMQP field array: a sequence of owned fields in order. Itself a field,
// so arrays nest.
#pragma once

#include <memory>
#include <vector>

#include "amqp/values/field.h"

namespace AMQP {

class Array : public Field {
public:
    Array() = default;
    Array(const Array& other);
    Array(Array&& other) noexcept = default;
    // decodes the wire form; the elements must fill exactly the announced
    // byte count
    explicit Array(InBuffer& buffer);
    ~Array() override = default;

    Array& operator=(const Array& other);
    Array& operator=(Array&& other) noexcept;

    // appends a copy of value
    void push_back(const Field& value);
    // removes the last element, if any
    void pop_back();

    size_t count() const { return _fields.size(); }

    // the element at index, or a shared empty short string beyond the end
    const Field& get(size_t index) const;

    std::unique_ptr<Field> clone() const override;
    size_t size() const override;
    void fill(OutBuffer& buffer) const override;
    char typeID() const override { return 'A'; }
    void output(std::ostream& stream) const override;

    bool isArray() const override { return true; }

private:
    std::vector<std::unique_ptr<Field>> _fields;
};

} // namespace AMQP
