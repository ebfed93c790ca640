#include "amqp/tcp/connectionorder.h"

#include <cstring>

namespace AMQP {

ConnectionOrder::ConnectionOrder(const char* text) {
    if (text == nullptr) return;
    if (strcmp(text, "random") == 0)
        _order = random;
    else if (strcmp(text, "ascending") == 0 || strcmp(text, "asc") == 0)
        _order = ascending;
    else if (strcmp(text, "descending") == 0 || strcmp(text, "desc") == 0)
        _order = descending;
}

} // namespace AMQP
