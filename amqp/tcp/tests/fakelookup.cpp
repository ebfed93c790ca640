#include "amqp/tcp/tests/fakelookup.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <thread>

#include "amqp/tcp/addressinfo.h"

namespace AMQP::Test {

namespace {

std::vector<std::string> addresses;
std::atomic<int> lookups{0};

addrinfo* entry(const std::string& text, int port) {
    auto* info = static_cast<addrinfo*>(calloc(1, sizeof(addrinfo)));
    info->ai_socktype = SOCK_STREAM;
    info->ai_protocol = IPPROTO_TCP;
    if (text.find(':') == std::string::npos) {
        auto* address = static_cast<sockaddr_in*>(calloc(1, sizeof(sockaddr_in)));
        address->sin_family = AF_INET;
        address->sin_port = htons(port);
        inet_pton(AF_INET, text.c_str(), &address->sin_addr);
        info->ai_family = AF_INET;
        info->ai_addr = reinterpret_cast<sockaddr*>(address);
        info->ai_addrlen = sizeof(sockaddr_in);
    } else {
        auto* address = static_cast<sockaddr_in6*>(calloc(1, sizeof(sockaddr_in6)));
        address->sin6_family = AF_INET6;
        address->sin6_port = htons(port);
        inet_pton(AF_INET6, text.c_str(), &address->sin6_addr);
        info->ai_family = AF_INET6;
        info->ai_addr = reinterpret_cast<sockaddr*>(address);
        info->ai_addrlen = sizeof(sockaddr_in6);
    }
    return info;
}

int lookup(const char* host, const char* service, const addrinfo*, addrinfo** result) {
    ++lookups;
    std::vector<std::string> list;
    if (strcmp(host, "several") == 0) list = addresses;
    if (strcmp(host, "slow") == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        list = {"127.0.0.1"};
    }
    if (list.empty()) return EAI_NONAME;
    addrinfo** tail = result;
    for (auto& text : list) {
        *tail = entry(text, atoi(service));
        tail = &(*tail)->ai_next;
    }
    return 0;
}

void release(addrinfo* list) {
    while (list != nullptr) {
        addrinfo* next = list->ai_next;
        free(list->ai_addr);
        free(list);
        list = next;
    }
}

} // namespace

FakeLookup::FakeLookup(std::vector<std::string> several) {
    addresses = std::move(several);
    lookups = 0;
    AddressInfo::replaceLookup(lookup, release);
}

FakeLookup::~FakeLookup() {
    AddressInfo::replaceLookup(nullptr, nullptr);
}

int FakeLookup::calls() {
    return lookups;
}

} // namespace AMQP::Test
