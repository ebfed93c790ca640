// The field that holds nothing and encodes as no bytes.
#pragma once

#include "amqp/values/field.h"

namespace AMQP {

class VoidField : public Field {
public:
    VoidField() = default;
    explicit VoidField(InBuffer&) {}
    VoidField(const VoidField& other) = default;
    VoidField& operator=(const VoidField& other) = default;
    ~VoidField() override = default;

    std::unique_ptr<Field> clone() const override { return std::make_unique<VoidField>(); }
    size_t size() const override { return 0; }
    void fill(OutBuffer&) const override {}
    char typeID() const override { return 'V'; }
    void output(std::ostream& stream) const override;

    bool isVoid() const override { return true; }
};

} // namespace AMQP
