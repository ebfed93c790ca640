// The client over TLS: against the private RabbitMQ's TLS listener and
// against a TLS peer that shows a certificate the client must refuse.
#include "app/tests/clientrun.h"

#include "testsupport/broker.h"
#include "testsupport/tls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

using namespace Tarvex::Test;
using Orvanta::Test::amqpTool;
using Orvanta::Test::brokerTlsAddress;
using Orvanta::Test::brokerTlsDir;
using Orvanta::Test::certificates;
using Orvanta::Test::Libssl;
using Orvanta::Test::libsslEnvironment;
using ::testing::HasSubstr;

namespace {

const std::string message = "From: sender@example.org\r\n"
                            "Subject: over TLS\r\n"
                            "\r\n"
                            "Hello\r\n";

// the broker's TLS address with another host and user
std::string tlsAddress(const std::string& user, const std::string& host) {
    std::string address = brokerTlsAddress();
    std::string port = address.substr(address.rfind(':'));
    return "amqps://" + user + "@" + host + port;
}

class ClientTls : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        queue = std::string("client-tls.") + info->name() + "." + std::to_string(getpid());
        declareQueue(queue);
    }
    void TearDown() override { amqpTool({"delete", queue}); }

    // the client with libssl preloaded, trusting the certificates in file
    Orvanta::Test::ProcessResult run(const std::string& address, const std::string& trusted,
                                     const std::string& input = message + ".\r\n",
                                     std::optional<Libssl> library = Libssl::installed) {
        std::string config = configFile(queue, "rabbitmq-outbox=:" + queue + "\n");
        std::vector<std::string> env{"SSL_CERT_FILE=" + trusted, "SSL_CERT_DIR=/nonexistent"};
        if (library) {
            auto preload = libsslEnvironment(*library);
            env.insert(env.end(), preload.begin(), preload.end());
        }
        return runClient({"--config-file=" + config, "--rabbitmq-address=" + address,
                          "--rabbitmq-compress=false", "rcpt@example.org"},
                         input, env);
    }

    std::string queue;
};

} // namespace

TEST_F(ClientTls, DeliversToABrokerWhoseCertificateVerifies) {
    // the certificate names both the DNS name and the IP address
    for (const char* host : {"127.0.0.1", "localhost"}) {
        auto result = run(tlsAddress("guest:guest", host), brokerTlsDir() + "/ca.pem");
        EXPECT_EQ(result.status, 0) << host << ": " << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(receive(queue).body, message) << host;
    }
}

TEST_F(ClientTls, ALibsslWithTheNamesOfOldVersionsServesAsWell) {
    // SSLv23_client_method instead of TLS_client_method, and
    // SSL_get_peer_certificate instead of SSL_get1_peer_certificate
    auto result = run(tlsAddress("guest:guest", "localhost"), brokerTlsDir() + "/ca.pem", message + ".\r\n",
                      Libssl::oldNames);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(receive(queue).body, message);
}

TEST_F(ClientTls, AFiftyMegabyteMessageArrivesIntact) {
    // far more than the socket takes at once: writes are repeated from the
    // queue, where the bytes lie elsewhere than at the first attempt
    std::string body;
    body.reserve(50u << 20);
    for (unsigned i = 0; body.size() < (50u << 20); ++i)
        body += "line " + std::to_string(i * 2654435761u) + "\r\n";
    auto result = run(tlsAddress("guest:guest", "127.0.0.1"), brokerTlsDir() + "/ca.pem", body + ".\r\n");
    ASSERT_EQ(result.status, 0) << result.err;
    Received received = receive(queue);
    EXPECT_EQ(received.body.size(), body.size());
    EXPECT_TRUE(received.body == body);
}

TEST_F(ClientTls, RefusesABrokerItCannotVerifyBeforeLoggingIn) {
    // a user of its own for this test: a login attempt would name it in the
    // broker's log
    const std::string user = "tls-probe-" + std::to_string(getpid());
    struct Case {
        const char* name;
        // empty: the private broker; else the TLS peer with this certificate
        std::string peer;
        std::string host;
        std::string trusted;
        const char* reason;
    };
    const std::vector<Case> cases = {
        // the broker sends its CA with its certificate
        {"a CA the client does not trust", "", "127.0.0.1", certificates() + "/self.pem",
         "self-signed certificate in certificate chain"},
        {"an address the certificate does not name", "", "127.0.0.2", brokerTlsDir() + "/ca.pem",
         "IP address mismatch"},
        {"a self-signed certificate", "self", "127.0.0.1", certificates() + "/ca.pem",
         "self-signed certificate"},
        {"a certificate for another name", "other", "localhost", certificates() + "/ca.pem",
         "hostname mismatch"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::unique_ptr<Orvanta::Test::TlsPeer> peer;
        std::string address = tlsAddress(user + ":secret", test.host);
        if (!test.peer.empty()) {
            peer = std::make_unique<Orvanta::Test::TlsPeer>(test.peer, "silent");
            address = "amqps://" + user + ":secret@" + test.host + ":" + std::to_string(peer->port()) + "/";
        }
        auto result = run(address, test.trusted);
        EXPECT_EQ(result.status, 75);
        EXPECT_THAT(result.err,
                    HasSubstr(std::string("RabbitMQ connection error: TLS connection has been rejected: "
                                          "certificate verify failed: ") +
                              test.reason + "\n"));
        // not a byte of AMQP, not even the protocol header; but a TLS close
        if (peer) {
            EXPECT_EQ(peer->report(), "bytes 0\ntls-close\n");
        }
    }
    EXPECT_THAT(Orvanta::Test::brokerLog(), ::testing::Not(HasSubstr(user)));

    // the log would have shown a login: with a trusted certificate the same
    // user reaches the broker, which refuses it
    auto result = run(tlsAddress(user + ":secret", "127.0.0.1"), brokerTlsDir() + "/ca.pem");
    EXPECT_EQ(result.status, 75);
    bool logged = false;
    for (int i = 0; i < 50 && !logged; ++i) {
        logged = Orvanta::Test::brokerLog().find(user) != std::string::npos;
        if (!logged) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(logged);
}

TEST_F(ClientTls, WithoutLibsslInTheProcessTheConnectionFails) {
    auto result = run(tlsAddress("guest:guest", "127.0.0.1"), brokerTlsDir() + "/ca.pem", message + ".\r\n",
                      std::nullopt);
    EXPECT_EQ(result.status, 75);
    EXPECT_THAT(
        result.err,
        HasSubstr("RabbitMQ connection error: Secure connection cannot be established: libssl.so cannot be "
                  "loaded\n"));
    EXPECT_FALSE(receive(queue).found);
}

TEST_F(ClientTls, ALibsslThatLacksAnEntryPointEndsTheRunWithAnError) {
    // found at the first read after the handshake: no abort, a connection
    // error that names it
    auto result = run(tlsAddress("guest:guest", "127.0.0.1"), brokerTlsDir() + "/ca.pem", message + ".\r\n",
                      Libssl::lackingPending);
    EXPECT_EQ(result.status, 75);
    EXPECT_THAT(result.err, HasSubstr("RabbitMQ connection error: libssl function SSL_pending not found\n"));
    EXPECT_FALSE(receive(queue).found);
}
