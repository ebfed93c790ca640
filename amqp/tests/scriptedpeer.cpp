#include "amqp/tests/scriptedpeer.h"

#include <map>
#include <sstream>
#include <stdexcept>
#include <sys/utsname.h>
#include <unistd.h>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/tests/oracle.h"
#include "amqp/values/table.h"
#include "testsupport/process.h"

namespace AMQP::Test {

namespace {

// the values the client must put in its properties, found here without the
// client's own code
std::string programPath() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length < 0) throw std::runtime_error("cannot read /proc/self/exe");
    return std::string(path, length);
}

std::string platformText() {
    struct utsname names;
    if (uname(&names) != 0) throw std::runtime_error("uname failed");
    return std::string(names.sysname) + " " + names.nodename + " " + names.release + " " + names.version;
}

std::map<std::string, std::string> loadOracle() {
    std::string script = std::string(ORVANTA_SOURCE_DIR) + "/amqp/tests/engineoracle.py";
    auto result =
        Orvanta::Test::runProcess({Orvanta::Test::python3(), script, programPath(), platformText()});
    if (result.status != 0) throw std::runtime_error("oracle failed: " + result.err);
    std::map<std::string, std::string> frames;
    std::istringstream lines(result.out);
    std::string name, bytes;
    while (lines >> name >> bytes)
        frames[name] = unhex(bytes);
    return frames;
}

} // namespace

const std::string& oracle(const std::string& name) {
    static const std::map<std::string, std::string> frames = loadOracle();
    auto found = frames.find(name);
    if (found == frames.end()) throw std::out_of_range("no oracle frame " + name);
    return found->second;
}

void ScriptedHandler::onProperties(Connection*, const Table&, Table& client) {
    events.push_back("properties");
    if (properties) properties(client);
}

uint16_t ScriptedHandler::onNegotiate(Connection*, uint16_t interval) {
    proposed = interval;
    return heartbeat;
}

void ScriptedHandler::onData(Connection*, const char* buffer, size_t size) {
    written.append(buffer, size);
    if (data) data();
}

void ScriptedHandler::onError(Connection*, const char* message) {
    events.push_back(std::string("error:") + message);
    if (error) error(message);
}

void ScriptedHandler::onReady(Connection*) {
    events.push_back("ready");
    if (ready) ready();
}

std::string ScriptedHandler::take() {
    std::string bytes;
    bytes.swap(written);
    return bytes;
}

void Feeder::feed(const std::string& bytes) {
    if (!_bytewise) {
        _pending += bytes;
        consume();
        return;
    }
    for (char byte : bytes) {
        _pending += byte;
        consume();
    }
}

void Feeder::feed(std::initializer_list<const char*> names) {
    std::string bytes;
    for (const char* name : names)
        bytes += oracle(name);
    feed(bytes);
}

void Feeder::consume() {
    ByteBuffer buffer(_pending.data(), _pending.size());
    uint64_t used = _connection.parse(buffer);
    if (used > _pending.size()) throw std::logic_error("parse consumed more than it was given");
    _pending.erase(0, used);
}

Session::Session(bool bytewise, const std::string& vhost)
    : connection(std::make_unique<Connection>(&handler, Login("mailer", "secret"), vhost)),
      feeder(*connection, bytewise) {}

void Session::handshake() {
    handler.take();
    feeder.feed({"start", "tune", "open-ok"});
    handler.take();
}

} // namespace AMQP::Test
