// The order in which the resolved addresses of a broker are tried, as the
// address option "connectionOrder" names it.
#pragma once

namespace AMQP {

class ConnectionOrder {
public:
    enum Kind { standard = 0, reverse = 1, random = 2, ascending = 3, descending = 4 };

    // "random", "ascending"/"asc", "descending"/"desc" (exactly so, case
    // matters); null or any other text keeps the resolved order
    explicit ConnectionOrder(const char* text);

    int order() const { return _order; }

private:
    int _order = standard;
};

} // namespace AMQP
