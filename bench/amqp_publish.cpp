// One publisher process for bench/amqp_publish.sh: connects to the broker,
// publishes the file's bytes as one message with a publisher confirm to the
// named queue, closes the connection and exits (0 after the broker's ack).
//
//   bench_amqp_publish URL QUEUE FILE
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include <ev.h>

#include "amqp/address.h"
#include "amqp/deferred/deferredpublish.h"
#include "amqp/reliable.h"
#include "amqp/tcp/libevhandler.h"
#include "amqp/tcp/tcpchannel.h"
#include "amqp/tcp/tcpconnection.h"
#include "amqp/values/envelope.h"
#include "amqp/values/table.h"

namespace {

class Publisher : public AMQP::LibEvHandler {
public:
    Publisher(struct ev_loop* loop, std::string queue, std::string body)
        : LibEvHandler(loop), _queue(std::move(queue)), _body(std::move(body)) {}

    void onReady(AMQP::TcpConnection* connection) override {
        _channel = std::make_unique<AMQP::TcpChannel>(connection);
        _reliable = std::make_unique<AMQP::Reliable<>>(*_channel);
        AMQP::Envelope envelope(_body.data(), _body.size());
        AMQP::Table headers;
        headers.set("recipients", "a@example.org");
        envelope.setHeaders(headers);
        _reliable->publish("", _queue, envelope).onAck([this] { acked = true; }).onFinalize([connection] {
            connection->close();
        });
    }

    void onError(AMQP::TcpConnection*, const char* message) override { std::cerr << message << "\n"; }

    bool acked = false;

private:
    std::string _queue;
    std::string _body;
    std::unique_ptr<AMQP::TcpChannel> _channel;
    std::unique_ptr<AMQP::Reliable<>> _reliable;
};

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::cerr << "usage: bench_amqp_publish URL QUEUE FILE\n";
        return 2;
    }
    std::ifstream file(argv[3], std::ios::binary | std::ios::ate);
    std::string body(static_cast<size_t>(file.tellg()), '\0');
    file.seekg(0);
    file.read(body.data(), static_cast<std::streamsize>(body.size()));
    std::string url = argv[1];
    struct ev_loop* loop = EV_DEFAULT;
    Publisher publisher(loop, argv[2], std::move(body));
    AMQP::TcpConnection connection(&publisher, AMQP::Address(url.data(), url.size()));
    ev_run(loop, 0);
    return publisher.acked ? 0 : 1;
}
