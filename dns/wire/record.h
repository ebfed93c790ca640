// One resource record of a parsed message: owner name, type, class, TTL and
// a copy of its data, so it outlives the message. Question and Additional
// read the question and additional sections.
#pragma once

#include <arpa/nameser.h>
#include <cstdint>
#include <string>

namespace DNS {

class Message;

class Record {
public:
    // std::runtime_error "failed to parse record" when the section has no
    // record `index`
    Record(const Message& message, ns_sect section, size_t index);
    virtual ~Record() = default;

    // "." for the root
    const char* name() const { return _name.c_str(); }
    uint16_t type() const { return _type; }
    uint16_t dnsclass() const { return _dnsclass; }
    // 0 for a TTL over 2^31 - 1
    uint32_t ttl() const { return _ttl; }
    const unsigned char* data() const { return reinterpret_cast<const unsigned char*>(_data.data()); }
    size_t size() const { return _data.size(); }

private:
    std::string _name;
    uint16_t _type;
    uint16_t _dnsclass;
    uint32_t _ttl;
    std::string _data;
};

class Question : public Record {
public:
    Question(const Message& message, size_t index) : Record(message, ns_s_qd, index) {}
};

class Additional : public Record {
public:
    Additional(const Message& message, size_t index) : Record(message, ns_s_ar, index) {}
};

} // namespace DNS
