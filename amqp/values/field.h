// Base of the typed values of the AMQP field-value encoding: each knows its
// type code, its encoded size, how to write and print itself, and answers
// every conversion (with 0, null or empty when it holds another type).
#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>

namespace AMQP {

class Array;
class InBuffer;
class OutBuffer;
class Table;

class Field {
public:
    // how deeply tables and arrays may nest in received bytes: a hostile peer
    // must not be able to recurse the decoder's stack away
    static constexpr unsigned int maxNesting = 64;

    virtual ~Field() = default;

    // a new object of the same class with an equal value (containers deeply)
    virtual std::unique_ptr<Field> clone() const = 0;

    // bytes that fill() writes; the type byte is not counted
    virtual size_t size() const = 0;

    // writes the encoded value without its type byte
    virtual void fill(OutBuffer& buffer) const = 0;

    virtual char typeID() const = 0;

    virtual void output(std::ostream& stream) const = 0;

    virtual operator const std::string&() const;
    virtual operator const char*() const { return nullptr; }
    virtual operator unsigned char() const { return 0; }
    virtual operator unsigned short() const { return 0; }
    virtual operator unsigned int() const { return 0; }
    virtual operator unsigned long() const { return 0; }
    virtual operator signed char() const { return 0; }
    virtual operator short() const { return 0; }
    virtual operator int() const { return 0; }
    virtual operator long() const { return 0; }
    virtual operator float() const { return 0; }
    virtual operator double() const { return 0; }
    virtual operator const Array&() const;
    virtual operator const Table&() const;

    virtual bool isInteger() const { return false; }
    virtual bool isDecimal() const { return false; }
    virtual bool isArray() const { return false; }
    virtual bool isTable() const { return false; }
    virtual bool isBoolean() const { return false; }
    virtual bool isString() const { return false; }
    virtual bool isVoid() const { return false; }

    // reads a type byte and the value that follows it; an unknown type code
    // throws ProtocolException, since the value's length cannot be known
    static std::unique_ptr<Field> decode(InBuffer& buffer);

protected:
    // copying the base copies nothing: each class copies its own value
    Field() = default;
    Field(const Field&) = default;
    Field& operator=(const Field&) = default;
};

std::ostream& operator<<(std::ostream& stream, const Field& field);

} // namespace AMQP
