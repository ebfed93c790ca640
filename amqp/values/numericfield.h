// A fixed-width number of the field encoding: integers big-endian, floats and
// doubles as their big-endian IEEE-754 bit pattern.
#pragma once

#include <cmath>
#include <limits>
#include <memory>
#include <ostream>
#include <type_traits>

#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"
#include "amqp/values/field.h"

namespace AMQP {

template <typename T, char F>
class NumericField : public Field {
    static_assert(std::is_arithmetic_v<T>, "a numeric field holds a number");

public:
    using value_type = T;

    NumericField() : _value(0) {}
    NumericField(T value) : _value(value) {}
    explicit NumericField(InBuffer& buffer) : _value(read(buffer)) {}
    NumericField(const NumericField& other) = default;
    NumericField& operator=(const NumericField& other) = default;
    ~NumericField() override = default;

    T value() const { return _value; }

    std::unique_ptr<Field> clone() const override { return std::make_unique<NumericField>(*this); }
    size_t size() const override { return sizeof(T); }
    void fill(OutBuffer& buffer) const override { buffer.add(_value); }
    char typeID() const override { return F; }
    // the 8-bit types print as one character, as the stream does with chars
    void output(std::ostream& stream) const override { stream << "numeric(" << _value << ")"; }

    operator unsigned char() const override { return convert<unsigned char>(); }
    operator unsigned short() const override { return convert<unsigned short>(); }
    operator unsigned int() const override { return convert<unsigned int>(); }
    operator unsigned long() const override { return convert<unsigned long>(); }
    operator signed char() const override { return convert<signed char>(); }
    operator short() const override { return convert<short>(); }
    operator int() const override { return convert<int>(); }
    operator long() const override { return convert<long>(); }
    operator float() const override { return static_cast<float>(_value); }
    operator double() const override { return static_cast<double>(_value); }

    bool isInteger() const override { return std::is_integral_v<T>; }

private:
    static T read(InBuffer& buffer) {
        if constexpr (std::is_same_v<T, float>)
            return buffer.nextFloat();
        else if constexpr (std::is_same_v<T, double>)
            return buffer.nextDouble();
        else if constexpr (sizeof(T) == 1)
            return static_cast<T>(std::is_signed_v<T> ? buffer.nextInt8() : buffer.nextUint8());
        else if constexpr (sizeof(T) == 2)
            return static_cast<T>(std::is_signed_v<T> ? buffer.nextInt16() : buffer.nextUint16());
        else if constexpr (sizeof(T) == 4)
            return static_cast<T>(std::is_signed_v<T> ? buffer.nextInt32() : buffer.nextUint32());
        else {
            static_assert(sizeof(T) == 8, "no wire form for this width");
            return static_cast<T>(std::is_signed_v<T> ? buffer.nextInt64() : buffer.nextUint64());
        }
    }

    // Integers convert modulo the target's width. A received float or double
    // truncates toward zero; one that the target cannot hold (NaN, infinite,
    // out of range) saturates instead of being undefined behaviour.
    template <typename To>
    To convert() const {
        if constexpr (std::is_integral_v<T>) {
            return static_cast<To>(_value);
        } else {
            if (std::isnan(_value)) return 0;
            if constexpr (std::is_unsigned_v<To>) {
                if (_value < 0)
                    return static_cast<To>(NumericField<double, 'd'>(_value).template convert<long>());
            }
            if (_value <= static_cast<T>(std::numeric_limits<To>::min()))
                return std::numeric_limits<To>::min();
            if (_value >= static_cast<T>(std::numeric_limits<To>::max()))
                return std::numeric_limits<To>::max();
            return static_cast<To>(_value);
        }
    }

    template <typename, char>
    friend class NumericField;

    T _value;
};

// the domains of the protocol's method arguments
using Octet = NumericField<unsigned char, 'B'>;
using UShort = NumericField<unsigned short, 'u'>;
using ULong = NumericField<unsigned int, 'i'>;
using ULongLong = NumericField<unsigned long, 'l'>;
using Timestamp = NumericField<unsigned long, 'T'>;

} // namespace AMQP
