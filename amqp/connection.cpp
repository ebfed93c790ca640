#include "amqp/connection.h"

namespace AMQP {

Connection::Connection(ConnectionHandler* handler, const Login& login, const std::string& vhost)
    : _implementation(this, handler, login, vhost) {}

} // namespace AMQP
