// An answer built here rather than received: for names the hosts file
// knows. It echoes the request's id and question, code 0.
#pragma once

#include "dns/wire/name.h"

#include <cstddef>

namespace DNS {

class Ip;
class Question;
class Request;

class FakeResponse {
public:
    // std::runtime_error "failed domain name compression" when the
    // question's name does not fit
    FakeResponse(const Request& request, const Question& question);
    FakeResponse(const FakeResponse&) = delete;
    FakeResponse& operator=(const FakeResponse&) = delete;

    // An A or AAAA answer; false, adding nothing, when it does not fit.
    bool append(const char* name, const Ip& address);
    // A PTR answer.
    bool append(const char* name, const char* target);

    size_t answers() const { return size_t(_buffer[6] << 8 | _buffer[7]); }
    const unsigned char* data() const { return _buffer; }
    size_t size() const { return _size; }

private:
    bool put16(uint16_t value);
    bool put32(uint32_t value);
    bool name(const char* name);
    void answered();

    unsigned char _buffer[4096];
    size_t _size = 0;
    Compressor _compressor{_buffer};
};

} // namespace DNS
