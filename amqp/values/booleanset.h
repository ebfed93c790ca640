// Eight booleans packed into one byte (boolean i is bit i): the bit arguments
// of methods and the presence flags of message properties.
#pragma once

#include <cstdint>

#include "amqp/values/field.h"

namespace AMQP {

class BooleanSet : public Field {
public:
    BooleanSet(bool first = false, bool second = false, bool third = false, bool fourth = false,
               bool fifth = false, bool sixth = false, bool seventh = false, bool eighth = false);
    explicit BooleanSet(InBuffer& buffer);
    BooleanSet(const BooleanSet& other) = default;
    BooleanSet& operator=(const BooleanSet& other) = default;
    ~BooleanSet() override = default;

    // bit index; false beyond bit 7
    bool get(unsigned int index) const;
    // sets or clears bit index; nothing happens beyond bit 7
    void set(unsigned int index, bool value);

    // all eight bits as one byte
    uint8_t value() const { return _byte; }

    std::unique_ptr<Field> clone() const override;
    size_t size() const override { return 1; }
    void fill(OutBuffer& buffer) const override;
    char typeID() const override { return 't'; }
    void output(std::ostream& stream) const override;

    bool isBoolean() const override { return true; }

private:
    uint8_t _byte = 0;
};

} // namespace AMQP
