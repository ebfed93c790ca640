// A private network and mount namespace for the tests that talk DNS: the
// test process moves into it (loopback up, nothing else reachable), files
// of the test's own are bind-mounted over /etc/resolv.conf and /etc/hosts,
// and name servers run as children on 127.0.0.x:53 inside it.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace Orvanta::Test {

// Enters the namespace once per process; false, with the reason, when not
// root (a root that cannot is std::runtime_error). Nothing is sent anywhere
// before it succeeded.
bool enterNamespace(std::string& reason);

// Writes `text` to a scratch file and mounts it over `target`.
void overlay(const char* target, const std::string& text);

// A child process, killed and reaped when the object goes.
class Child {
public:
    explicit Child(const std::vector<std::string>& argv, const std::string& output = "/dev/null");
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child();

private:
    pid_t _pid;
};

// Waits until something accepts TCP connections on address:53.
bool listening(const char* address);

// dnsmasq on 127.0.0.1:53 serving only the records of its arguments.
std::vector<std::string> dnsmasq(const std::vector<std::string>& records);

} // namespace Orvanta::Test
