// A decimal of the field encoding: number / 10^places.
#pragma once

#include <cstdint>

#include "amqp/values/field.h"

namespace AMQP {

class DecimalField : public Field {
public:
    DecimalField(unsigned char places, unsigned int number) : _places(places), _number(number) {}
    explicit DecimalField(InBuffer& buffer);
    DecimalField(const DecimalField& other) = default;
    DecimalField& operator=(const DecimalField& other) = default;
    ~DecimalField() override = default;

    unsigned char places() const { return _places; }
    unsigned int number() const { return _number; }

    std::unique_ptr<Field> clone() const override;
    size_t size() const override { return 5; }
    void fill(OutBuffer& buffer) const override;
    char typeID() const override { return 'D'; }
    void output(std::ostream& stream) const override;

    operator double() const override;
    operator float() const override { return static_cast<float>(static_cast<double>(*this)); }
    bool isDecimal() const override { return true; }

private:
    unsigned char _places;
    unsigned int _number;
};

} // namespace AMQP
