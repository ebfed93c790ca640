// Runs the tarvex-client binary in tests and reads back what the broker
// received, through pika (testsupport/amqp_tool.py).
#pragma once

#include "testsupport/process.h"

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace Tarvex::Test {

// The built client.
const char* clientPath();

// Writes a configuration file into the test's scratch folder; returns its path.
std::string configFile(const std::string& name, const std::string& content);

// The client with these arguments, input and extra environment variables.
Orvanta::Test::ProcessResult runClient(const std::vector<std::string>& args, const std::string& input,
                                       const std::vector<std::string>& env = {});

// One message taken from a queue, as pika saw it.
struct Received {
    bool found = false;
    std::string exchange;
    std::string routingKey;
    // absent when the property was not set
    bool hasContentEncoding = false;
    std::string contentEncoding;
    // 0 when the property was not set, 2 for persistent
    int deliveryMode = 0;
    // the properties other than headers, content encoding and delivery mode
    // that were set
    std::string others;
    std::map<std::string, std::string> headers;
    std::string body;
    // the body decompressed by Python's gzip module when it said gzip
    std::string plain;
};
Received receive(const std::string& queue);

// Declares a fresh queue (optionally with x- arguments as JSON).
void declareQueue(const std::string& queue, const std::string& arguments = "");

// A client started in the background, for tests that signal it or feed its
// input slowly. Its standard output and error go to files.
class Child {
public:
    // stdinFd >= 0: the child reads that descriptor; closedInput: it starts
    // with descriptor 0 closed; otherwise a pipe that write() feeds and
    // closeInput() ends. stderrFd >= 0: its standard error is that
    // descriptor (and err() stays empty).
    static constexpr int closedInput = -2;
    Child(const std::vector<std::string>& args, const std::vector<std::string>& env, int stdinFd = -1,
          int stderrFd = -1);
    ~Child();
    void write(const std::string& data);
    void closeInput();
    void signal(int signum);
    // True once the child holds a socket (the test's own are close-on-exec).
    bool hasSocket() const;
    // The exit status (128 + signal when killed), or -1 when it did not end
    // in time (it is then killed).
    int wait(double seconds);
    bool running();
    std::string err() const;
    // The most memory the child held at once, in kilobytes, once it ended.
    long peakKilobytes() const { return _peakKilobytes; }
    // Waits until standard error holds text; false when seconds passed first.
    bool waitForErr(const std::string& text, double seconds) const;
    // Waits until the child has read everything written to its input pipe;
    // false when seconds passed first.
    bool waitForInputTaken(double seconds) const;

private:
    pid_t _pid = -1;
    int _input = -1;
    int _status = -1;
    long _peakKilobytes = 0;
    std::string _errFile;
};

} // namespace Tarvex::Test
