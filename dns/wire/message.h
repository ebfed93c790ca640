// A parsed DNS message (RFC 1035): the header and where every record of
// every section lies. The bytes are the message's own copy; nothing is read
// outside them. Response is an answer, Request a query read back.
#pragma once

#include <arpa/nameser.h>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace DNS {

class Operation;
class Query;

class Message {
public:
    // std::runtime_error "failed to parse dns message" for bytes that are
    // not a whole message
    Message(const unsigned char* data, size_t size);
    // takes over the bytes
    explicit Message(std::string&& bytes);
    Message(const Message&) = default;
    Message& operator=(const Message&) = default;
    virtual ~Message() = default;

    const unsigned char* data() const { return reinterpret_cast<const unsigned char*>(_bytes.data()); }
    size_t size() const { return _bytes.size(); }

    uint16_t id() const { return uint16_t(data()[0] << 8 | data()[1]); }
    // the QR bit: an answer, not a query
    bool response() const { return data()[2] & 0x80; }
    int opcode() const { return (data()[2] >> 3) & 0x0f; }
    bool truncated() const { return data()[2] & 0x02; }
    bool recursiondesired() const { return data()[2] & 0x01; }
    bool recursionavailable() const { return data()[3] & 0x80; }
    bool authentic() const { return data()[3] & 0x20; }
    // the header's RCODE with the extended bits of the first OPT record
    int rcode() const;

    size_t questions() const { return records(ns_s_qd); }
    size_t additional() const { return records(ns_s_ar); }
    size_t records(ns_sect section) const;
    // the records of the section with that type and class
    size_t records(ns_sect section, uint16_t type, uint16_t dnsclass) const;

    // Where one record lies in the bytes.
    struct Entry {
        size_t name;
        uint16_t type;
        uint16_t dnsclass;
        uint32_t ttl;
        size_t data;
        uint16_t size;
    };
    // std::runtime_error "failed to parse record" when there is none
    const Entry& entry(ns_sect section, size_t index) const;

private:
    void parse();

    std::string _bytes;
    std::vector<Entry> _sections[4];
};

class Response : public Message {
public:
    using Message::Message;
};

class Request : public Message {
public:
    explicit Request(const Query& query);
    explicit Request(const Operation* operation);
};

} // namespace DNS
