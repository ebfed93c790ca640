// The addresses a broker's host name resolves to, in the order they are to
// be tried.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct addrinfo;

namespace AMQP {

class ConnectionOrder;

class AddressInfo {
public:
    // the system's name lookup and release, or a replacement
    using Lookup = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    using Release = void (*)(addrinfo*);

    // resolves host for TCP over IPv4 and IPv6 and orders the result;
    // throws std::runtime_error with the lookup's error text
    AddressInfo(const char* host, uint16_t port, const ConnectionOrder& order);
    AddressInfo(const AddressInfo&) = delete;
    AddressInfo& operator=(const AddressInfo&) = delete;
    ~AddressInfo();

    size_t size() const { return _entries.size(); }
    const addrinfo* operator[](int index) const { return _entries[index]; }

    void reorder(const ConnectionOrder& order);
    void shuffle();
    void sort();
    void reverse();

    // Test seam: every AddressInfo made afterwards resolves through these
    // (nulls restore getaddrinfo and freeaddrinfo), so that tests can give a
    // host several addresses without touching the system's host table. Set
    // it while no resolver thread runs.
    static void replaceLookup(Lookup lookup, Release release);

private:
    addrinfo* _list = nullptr;
    Release _release;
    std::vector<const addrinfo*> _entries;
};

} // namespace AMQP
