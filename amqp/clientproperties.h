// The client properties sent in connection.start-ok: whatever the handler
// set, completed with the library's own entries.
#pragma once

namespace AMQP {

class Table;

class ClientProperties {
public:
    // adds each of the library's entries the handler did not set itself
    static void complete(Table& properties);
};

} // namespace AMQP
