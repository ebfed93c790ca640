// The names and addresses of a hosts file, looked up both ways; it answers
// queries for them without network traffic.
#pragma once

#include "dns/host/ip.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace DNS {

class Handler;
class Operation;
class Request;
class Response;

class Hosts {
public:
    Hosts() = default;
    // std::runtime_error path + ": failed to open file"
    explicit Hosts(const char* path);

    // false when the file cannot be opened
    bool load(const char* path);
    // Lines of a hosts file: an address and its names; "#" starts a comment.
    void parse(const std::string& text);

    // The first address of the name (any case, a final dot or none) of that
    // version, 0 for any.
    const Ip* lookup(const char* name, unsigned version) const;
    // The first name of the address.
    const char* lookup(const Ip& address) const;

    // The answer to the request's first question from the file: code 0,
    // no records when the file has none of that type. std::runtime_error
    // when the request has no question.
    Response answer(const Request& request) const;
    // Passes that answer to the handler's onReceived.
    void notify(const Request& request, Handler* handler, const Operation* operation) const;

    // Names in any case, with or without a final dot, are one name: as the
    // file writes them, as a caller asks and as a question reads back (a
    // byte outside ASCII as "\DDD" there, as itself in the file).
    struct HostnameCompare {
        bool operator()(const char* a, const char* b) const;
    };
    struct IpCompare {
        bool operator()(const Ip& a, const Ip& b) const { return a.compare(b) < 0; }
    };

private:
    void line(const std::string& line);

    // the names the maps point into; shared by copies
    std::shared_ptr<std::vector<std::unique_ptr<std::string>>> _names =
        std::make_shared<std::vector<std::unique_ptr<std::string>>>();
    std::multimap<const char*, Ip, HostnameCompare> _byname;
    std::multimap<Ip, const char*, IpCompare> _byip;
};

} // namespace DNS
