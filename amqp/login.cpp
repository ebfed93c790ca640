#include "amqp/login.h"

namespace AMQP {

std::string Login::saslPlain() const {
    std::string response;
    response.reserve(2 + _user.size() + _password.size());
    response += '\0';
    response += _user;
    response += '\0';
    response += _password;
    return response;
}

} // namespace AMQP
