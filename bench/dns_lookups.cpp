// Lookups per second against one local name server, this resolver beside
// c-ares, with the same number of lookups in flight. Run through
// bench/dns_lookups.sh, which starts the server in a private namespace.
//
//   bench_dns_lookups [server address] [lookups] [in flight]
#include "dns/resolver/config.h"
#include "dns/resolver/context.h"
#include "dns/resolver/handler.h"
#include "dns/transport/libev.h"
#include "dns/wire/message.h"
#include "event/threadloop.h"

#include <ares.h>
#include <arpa/nameser.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>

namespace {

struct Run {
    const char* server;
    int total;
    int inflight;
};

std::string name(int i) {
    return "host" + std::to_string(i % 1000) + ".bench.test";
}

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Keeps `inflight` lookups running until `total` have ended.
class Ours : public DNS::Handler {
public:
    explicit Ours(const Run& run) : _run(run) {
        auto config = std::make_shared<DNS::Config>();
        config->nameserver(DNS::Ip(run.server)).timeout(5).interval(5);
        _context = std::make_unique<DNS::Context>(&_adapter, config);
    }

    double measure() {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < _run.inflight; ++i)
            next();
        _loop.run();
        if (_answered != _run.total) std::fprintf(stderr, "ours: %d of %d answered\n", _answered, _run.total);
        return _run.total / seconds(start);
    }

    void onResolved(const DNS::Operation*, const DNS::Response& response) override {
        _answered += response.records(ns_s_an) > 0;
        next();
    }
    void onFailure(const DNS::Operation*, int) override { next(); }

private:
    void next() {
        if (_started == _run.total) return;
        _context->query(name(_started++).c_str(), ns_t_a, _context->bits(), this);
    }

    Run _run;
    Orvanta::Event::ThreadLoop _loop;
    DNS::LibEv _adapter{_loop.loop(), true};
    std::unique_ptr<DNS::Context> _context;
    int _started = 0;
    int _answered = 0;
};

class CAres {
public:
    explicit CAres(const Run& run) : _run(run) {
        // the same work as ours: EDNS0 advertising 1200 bytes, recursion desired
        ares_options options{};
        options.timeout = 5000;
        options.tries = 1;
        options.flags = ARES_FLAG_EDNS;
        options.ednspsz = 1200;
        int mask = ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES | ARES_OPT_FLAGS | ARES_OPT_EDNSPSZ;
        if (ares_init_options(&_channel, &options, mask) != ARES_SUCCESS ||
            ares_set_servers_csv(_channel, run.server) != ARES_SUCCESS) {
            std::fprintf(stderr, "c-ares: no channel\n");
            std::exit(1);
        }
    }
    ~CAres() { ares_destroy(_channel); }

    double measure() {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < _run.inflight; ++i)
            next();
        while (_ended < _run.total) {
            ares_socket_t sockets[ARES_GETSOCK_MAXNUM];
            int bits = ares_getsock(_channel, sockets, ARES_GETSOCK_MAXNUM);
            pollfd fds[ARES_GETSOCK_MAXNUM];
            int count = 0;
            for (int i = 0; i < ARES_GETSOCK_MAXNUM; ++i) {
                short events = short((ARES_GETSOCK_READABLE(bits, i) ? POLLIN : 0) |
                                     (ARES_GETSOCK_WRITABLE(bits, i) ? POLLOUT : 0));
                if (events) fds[count++] = {sockets[i], events, 0};
            }
            poll(fds, nfds_t(count), 100);
            for (int i = 0; i < count; ++i) {
                ares_process_fd(_channel, fds[i].revents & POLLIN ? fds[i].fd : ARES_SOCKET_BAD,
                                fds[i].revents & POLLOUT ? fds[i].fd : ARES_SOCKET_BAD);
            }
            if (count == 0) ares_process_fd(_channel, ARES_SOCKET_BAD, ARES_SOCKET_BAD);
        }
        if (_answered != _run.total)
            std::fprintf(stderr, "c-ares: %d of %d answered\n", _answered, _run.total);
        return _run.total / seconds(start);
    }

private:
    static void done(void* self, int status, int, unsigned char*, int) {
        auto* bench = static_cast<CAres*>(self);
        ++bench->_ended;
        bench->_answered += status == ARES_SUCCESS;
        bench->next();
    }

    void next() {
        if (_started == _run.total) return;
        ares_query(_channel, name(_started++).c_str(), ns_c_in, ns_t_a, done, this);
    }

    Run _run;
    ares_channel _channel;
    int _started = 0;
    int _ended = 0;
    int _answered = 0;
};

} // namespace

int main(int argc, char** argv) {
    Run run{argc > 1 ? argv[1] : "127.0.0.1", argc > 2 ? std::atoi(argv[2]) : 20000,
            argc > 3 ? std::atoi(argv[3]) : 64};
    ares_library_init(ARES_LIB_INIT_ALL);
    double ours = 0, theirs = 0;
    // best of five, alternating so that neither gets a warmer server
    for (int round = 0; round < 5; ++round) {
        double a = Ours(run).measure(), b = CAres(run).measure();
        if (a > ours) ours = a;
        if (b > theirs) theirs = b;
    }
    ares_library_cleanup();
    std::printf("%d lookups, %d in flight, best of 5\n", run.total, run.inflight);
    std::printf("orvanta dns: %10.0f lookups/s\n", ours);
    std::printf("c-ares:      %10.0f lookups/s\n", theirs);
    std::printf("ratio (orvanta / c-ares): %.2f\n", ours / theirs);
    return 0;
}
