// A string of the field encoding: its length as the number field P, then the
// bytes. A string too long for its length prefix is refused when made.
#pragma once

#include <limits>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"
#include "amqp/values/field.h"
#include "amqp/values/numericfield.h"

namespace AMQP {

template <typename P, char F>
class StringField : public Field {
public:
    using length_type = typename P::value_type;

    // the most bytes the length prefix can announce
    static constexpr size_t maxLength = std::numeric_limits<length_type>::max();

    StringField() = default;
    StringField(const std::string& value) : _data(value) { check(); }
    StringField(std::string&& value) : _data(std::move(value)) { check(); }
    StringField(std::string_view value) : _data(value) { check(); }
    StringField(const char* value) : _data(value) { check(); }
    explicit StringField(InBuffer& buffer) {
        size_t length = P(buffer).value();
        const char* bytes = buffer.nextData(length);
        _data.assign(bytes, length);
    }
    StringField(const StringField& other) = default;
    StringField& operator=(const StringField& other) = default;
    ~StringField() override = default;

    const std::string& value() const { return _data; }

    std::unique_ptr<Field> clone() const override { return std::make_unique<StringField>(*this); }
    size_t size() const override { return sizeof(length_type) + _data.size(); }
    void fill(OutBuffer& buffer) const override {
        P(static_cast<length_type>(_data.size())).fill(buffer);
        buffer.add(_data);
    }
    char typeID() const override { return F; }
    void output(std::ostream& stream) const override { stream << "string(" << _data << ")"; }

    operator const std::string&() const override { return _data; }
    bool isString() const override { return true; }

private:
    void check() const {
        if (_data.size() > maxLength)
            throw std::runtime_error("string of " + std::to_string(_data.size()) +
                                     " bytes is longer than the " + std::to_string(maxLength) +
                                     " its field can hold");
    }

    std::string _data;
};

using ShortString = StringField<NumericField<unsigned char, 'B'>, 's'>;
using LongString = StringField<NumericField<unsigned int, 'i'>, 'S'>;
// a byte array: laid out as a long string, but its own type code, which it
// keeps when written back
using ByteArray = StringField<NumericField<unsigned int, 'i'>, 'x'>;

} // namespace AMQP
