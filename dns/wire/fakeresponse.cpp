#include "dns/wire/fakeresponse.h"

#include "dns/host/ip.h"
#include "dns/wire/message.h"
#include "dns/wire/record.h"

#include <cstring>
#include <stdexcept>

namespace DNS {

FakeResponse::FakeResponse(const Request& request, const Question& question) {
    put16(request.id());
    // QR, opcode 0, RD as asked; RA and AD
    put16(uint16_t(0x8000 | (request.recursiondesired() ? 0x0100 : 0) | 0x0080 | 0x0020));
    put16(1);
    put16(0);
    put16(0);
    put16(0);
    if (!name(question.name())) throw std::runtime_error("failed domain name compression");
    put16(question.type());
    put16(ns_c_in);
}

bool FakeResponse::put16(uint16_t value) {
    if (sizeof _buffer - _size < 2) return false;
    _buffer[_size++] = uint8_t(value >> 8);
    _buffer[_size++] = uint8_t(value);
    return true;
}

bool FakeResponse::put32(uint32_t value) {
    return put16(uint16_t(value >> 16)) && put16(uint16_t(value));
}

bool FakeResponse::name(const char* name) {
    int written = _compressor.add(name, _buffer + _size, sizeof _buffer - _size);
    if (written < 0) return false;
    _size += size_t(written);
    return true;
}

void FakeResponse::answered() {
    uint16_t count = uint16_t(answers() + 1);
    _buffer[6] = uint8_t(count >> 8);
    _buffer[7] = uint8_t(count);
}

bool FakeResponse::append(const char* owner, const Ip& address) {
    size_t before = _size;
    if (name(owner) && put16(address.version() == 4 ? ns_t_a : ns_t_aaaa) && put16(ns_c_in) && put32(0) &&
        put16(uint16_t(address.size())) && sizeof _buffer - _size >= address.size()) {
        std::memcpy(_buffer + _size, address.data(), address.size());
        _size += address.size();
        answered();
        return true;
    }
    _size = before;
    _compressor.forget(before);
    return false;
}

bool FakeResponse::append(const char* owner, const char* target) {
    size_t before = _size;
    if (name(owner) && put16(ns_t_ptr) && put16(ns_c_in) && put32(0) && put16(0)) {
        size_t length = _size;
        if (name(target)) {
            uint16_t size = uint16_t(_size - length);
            _buffer[length - 2] = uint8_t(size >> 8);
            _buffer[length - 1] = uint8_t(size);
            answered();
            return true;
        }
    }
    _size = before;
    _compressor.forget(before);
    return false;
}

} // namespace DNS
