// User name and password for the broker, and the SASL PLAIN response made of them.
#pragma once

#include <string>
#include <utility>

namespace AMQP {

class Login {
public:
    // the login used when an address names none
    Login() : _user("lorvi"), _password("lorvi") {}
    Login(std::string user, std::string password) : _user(std::move(user)), _password(std::move(password)) {}

    const std::string& user() const { return _user; }
    const std::string& password() const { return _password; }

    // NUL, user, NUL, password: no separate authorisation identity
    std::string saslPlain() const;

private:
    std::string _user;
    std::string _password;
};

} // namespace AMQP
