#include "rabbit/app_base.h"

#include "amqp/address.h"
#include "event/mainloop.h"
#include "toolbox/datetime.h"

#include <ev.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace Orvanta::Rabbit::App {

int Base::_instances = 0;

Base::Base(Event::MainLoop* loop, const AMQP::Address& address)
    : AMQP::LibEvHandler(loop->loop(), 0), _loop(loop), _exitWatcher(loop, this), _brokerCheck(address.hostname()),
      _connection(this, address) {
    if (++_instances < 2) return;
    // the destructor will not run for an object that was never finished
    --_instances;
    throw std::logic_error("More than one instance running of Rabbit::App::Base");
}

Base::Base(const AMQP::Address& address) : Base(Event::MainLoop::instance(), address) {}

Base::~Base() { --_instances; }

int Base::run() {
    _loop->run(0);
    return 0;
}

void Base::onError(AMQP::TcpConnection*, const char* message) {
    std::string text = std::string("RabbitMQ connection error: ") + message;
    // a refused broker certificate: OpenSSL's reason says why
    if (!_brokerCheck.reason().empty()) text += ": " + _brokerCheck.reason();
    onError(text.c_str());
}

bool Base::onSecuring(AMQP::TcpConnection*, ssl_st* ssl) {
    return _brokerCheck.prepare(ssl);
}

bool Base::onSecured(AMQP::TcpConnection*, const ssl_st* ssl) {
    return _brokerCheck.accept(ssl);
}

void Base::onError(const char* message) {
    Toolbox::DateTime now(ev_time());
    std::fprintf(stderr, "[%s] %s\n", now.sql(), message);
    std::fflush(stderr);
}

void Base::onDetached(AMQP::TcpConnection* connection) {
    AMQP::LibEvHandler::onDetached(connection);
    ev_break(_loop->loop(), EVBREAK_ONE);
}

void Base::onExit(int, unsigned long) {
    _connection.close(++_signals > 1);
}

} // namespace Orvanta::Rabbit::App
