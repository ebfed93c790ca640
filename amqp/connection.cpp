#include "amqp/connection.h"

#include "amqp/connectionimpl.h"

namespace AMQP {

Connection::Connection(ConnectionHandler* handler, const Login& login, const std::string& vhost)
    : _implementation(std::make_unique<ConnectionImpl>(this, handler, login, vhost)) {}

Connection::~Connection() = default;

uint64_t Connection::parse(const Buffer& buffer) {
    return _implementation->parse(buffer);
}
uint32_t Connection::expected() const {
    return _implementation->expected();
}
uint32_t Connection::maxFrame() const {
    return _implementation->maxFrame();
}
bool Connection::usable() const {
    return _implementation->usable();
}
bool Connection::ready() const {
    return _implementation->ready();
}
bool Connection::closed() const {
    return _implementation->closed();
}
bool Connection::close() {
    return _implementation->close();
}
bool Connection::fail(const char* message) {
    return _implementation->fail(message);
}
bool Connection::heartbeat() {
    return _implementation->heartbeat();
}

} // namespace AMQP
