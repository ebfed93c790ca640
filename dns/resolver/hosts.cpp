#include "dns/resolver/hosts.h"

#include "dns/host/reverse.h"
#include "dns/resolver/handler.h"
#include "dns/resolver/textfile.h"
#include "dns/wire/fakeresponse.h"
#include "dns/wire/message.h"
#include "dns/wire/name.h"
#include "dns/wire/record.h"

#include <sstream>
#include <stdexcept>

namespace DNS {

Hosts::Hosts(const char* path) {
    parse(readTextFile(path));
}

bool Hosts::load(const char* path) {
    try {
        parse(readTextFile(path));
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

void Hosts::parse(const std::string& text) {
    std::istringstream lines(text);
    std::string current;
    while (std::getline(lines, current))
        line(current);
}

void Hosts::line(const std::string& text) {
    // a comment may follow the names: it is not one of them
    std::string line = text.substr(0, text.find('#'));
    static const char* const separators = " \t\r\n";
    size_t start = line.find_first_not_of(separators);
    if (start == std::string::npos) return;
    size_t end = line.find_first_of(separators, start);
    std::string address = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
    try {
        Ip ip(address.c_str());
        while (end != std::string::npos) {
            start = line.find_first_not_of(separators, end);
            if (start == std::string::npos) break;
            end = line.find_first_of(separators, start);
            _names->push_back(std::make_unique<std::string>(
                line.substr(start, end == std::string::npos ? std::string::npos : end - start)));
            const char* name = _names->back()->c_str();
            _byname.emplace(name, ip);
            _byip.emplace(ip, name);
        }
    } catch (const std::runtime_error&) {
        // not an address: the line is skipped
    }
}

const Ip* Hosts::lookup(const char* name, unsigned version) const {
    auto range = _byname.equal_range(name);
    for (auto it = range.first; it != range.second; ++it) {
        if (version == 0 || it->second.version() == version) return &it->second;
    }
    return nullptr;
}

const char* Hosts::lookup(const Ip& address) const {
    auto found = _byip.find(address);
    return found == _byip.end() ? nullptr : found->second;
}

Response Hosts::answer(const Request& request) const {
    Question question(request, 0);
    FakeResponse built(request, question);
    if (question.type() == ns_t_ptr) {
        try {
            const char* name = lookup(Reverse(question.name()).ip());
            if (name) built.append(question.name(), name);
        } catch (const std::runtime_error&) {
            // not a reverse name: no answer records
        }
    } else if (question.type() == ns_t_a || question.type() == ns_t_aaaa) {
        unsigned version = question.type() == ns_t_a ? 4 : 6;
        auto range = _byname.equal_range(question.name());
        for (auto it = range.first; it != range.second; ++it) {
            if (it->second.version() == version) built.append(question.name(), it->second);
        }
    }
    return Response(built.data(), built.size());
}

bool Hosts::HostnameCompare::operator()(const char* a, const char* b) const {
    return comparename(a, b) < 0;
}

void Hosts::notify(const Request& request, Handler* handler, const Operation* operation) const {
    handler->onReceived(operation, answer(request));
}

} // namespace DNS
