#include "app/tests/clientrun.h"

#include "testsupport/broker.h"
#include "testsupport/hex.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

using Orvanta::Test::ProcessResult;

namespace Tarvex::Test {

namespace {

// Turns amqp_tool.py's JSON into "name hex" lines, decompressing a gzip body
// with Python's own gzip module.
const char* describe = R"PY(
import base64, gzip, json, sys
m = json.loads(sys.stdin.read())
def out(name, value):
    if isinstance(value, str):
        value = value.encode('utf-8', 'surrogateescape')
    print(name, value.hex())
out('exchange', m['exchange'])
out('routing_key', m['routing_key'])
body = base64.b64decode(m['body_base64'])
out('body', body)
if m['content_encoding'] is not None:
    out('content_encoding', m['content_encoding'])
    if m['content_encoding'] == 'gzip':
        out('plain', gzip.decompress(body))
for key, value in m['headers'].items():
    out('header.' + key, value if isinstance(value, (str, bytes)) else repr(value))
if m['delivery_mode'] is not None:
    out('delivery_mode', str(m['delivery_mode']))
names = ('content_type', 'message_id', 'priority', 'correlation_id', 'reply_to',
         'expiration', 'timestamp', 'type', 'user_id', 'app_id')
out('others', ','.join(n for n in names if m[n] is not None))
)PY";

// One folder for the whole test program: scratchDir empties its folder on
// every call.
const std::string& scratch() {
    static const std::string folder = Orvanta::Test::scratchDir("client");
    return folder;
}

} // namespace

const char* clientPath() {
    return TARVEX_CLIENT_PATH;
}

std::string configFile(const std::string& name, const std::string& content) {
    std::string path = scratch() + "/" + name + ".txt";
    std::ofstream(path) << content;
    return path;
}

ProcessResult runClient(const std::vector<std::string>& args, const std::string& input,
                        const std::vector<std::string>& env) {
    std::vector<std::string> argv{clientPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return Orvanta::Test::runProcess(argv, input, env);
}

void declareQueue(const std::string& queue, const std::string& arguments) {
    std::vector<std::string> args{"declare", queue};
    if (!arguments.empty()) args.push_back(arguments);
    auto result = Orvanta::Test::amqpTool(args);
    if (result.status != 0) throw std::runtime_error("cannot declare " + queue + ": " + result.err);
}

Received receive(const std::string& queue) {
    Received received;
    auto got = Orvanta::Test::amqpTool({"get", queue});
    if (got.status == 3) return received;
    if (got.status != 0) throw std::runtime_error("cannot read " + queue + ": " + got.err);
    auto lines = Orvanta::Test::runProcess({Orvanta::Test::python3(), "-c", describe}, got.out);
    if (lines.status != 0) throw std::runtime_error("cannot read the message: " + lines.err);
    received.found = true;
    std::istringstream in(lines.out);
    std::string line;
    while (std::getline(in, line)) {
        auto blank = line.find(' ');
        std::string name = line.substr(0, blank), value = Orvanta::Test::unhex(line.substr(blank + 1));
        if (name == "exchange")
            received.exchange = value;
        else if (name == "routing_key")
            received.routingKey = value;
        else if (name == "body")
            received.body = value;
        else if (name == "plain")
            received.plain = value;
        else if (name == "others")
            received.others = value;
        else if (name == "delivery_mode")
            received.deliveryMode = std::stoi(value);
        else if (name == "content_encoding") {
            received.hasContentEncoding = true;
            received.contentEncoding = value;
        } else if (name.rfind("header.", 0) == 0)
            received.headers[name.substr(7)] = value;
    }
    return received;
}

Child::Child(const std::vector<std::string>& args, const std::vector<std::string>& env, int stdinFd,
             int stderrFd) {
    static int children = 0;
    _errFile = scratch() + "/child" + std::to_string(++children) + ".err";
    int pipeFds[2] = {-1, -1};
    if (stdinFd != closedInput && stdinFd < 0) {
        if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        stdinFd = pipeFds[0];
        _input = pipeFds[1];
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinFd == closedInput)
        posix_spawn_file_actions_addclose(&actions, 0);
    else
        posix_spawn_file_actions_adddup2(&actions, stdinFd, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (stderrFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stderrFd, 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, _errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    std::vector<std::string> argv{clientPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp;
    for (auto& a : argv)
        argp.push_back(const_cast<char*>(a.c_str()));
    argp.push_back(nullptr);
    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e)
        envStore.emplace_back(*e);
    envStore.insert(envStore.end(), env.begin(), env.end());
    std::vector<char*> envp;
    for (auto& e : envStore)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    // SIGPIPE as an MTA leaves it, whatever this process ignores (below)
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    int rc = posix_spawn(&_pid, argp[0], &actions, &attributes, argp.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (pipeFds[0] >= 0) close(pipeFds[0]);
    if (rc != 0) throw std::runtime_error("cannot start the client");
    // a child that stops reading must not end the test with SIGPIPE
    ::signal(SIGPIPE, SIG_IGN);
}

Child::~Child() {
    closeInput();
    if (_pid > 0 && _status < 0) {
        kill(_pid, SIGKILL);
        waitpid(_pid, nullptr, 0);
    }
}

void Child::write(const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(_input, data.data() + done, data.size() - done);
        if (n <= 0) throw std::runtime_error("cannot feed the client");
        done += n;
    }
}

void Child::closeInput() {
    if (_input >= 0) close(_input);
    _input = -1;
}

void Child::signal(int signum) {
    kill(_pid, signum);
}

bool Child::hasSocket() const {
    std::string folder = "/proc/" + std::to_string(_pid) + "/fd";
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    bool found = false;
    while (dirent* entry = readdir(dir)) {
        char target[256];
        ssize_t n = readlink((folder + "/" + entry->d_name).c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, n).rfind("socket:", 0) == 0) found = true;
    }
    closedir(dir);
    return found;
}

bool Child::running() {
    if (_status >= 0) return false;
    int status;
    rusage usage{};
    if (wait4(_pid, &status, WNOHANG, &usage) == 0) return true;
    _peakKilobytes = usage.ru_maxrss;
    _status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
}

int Child::wait(double seconds) {
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (running()) {
        if (std::chrono::steady_clock::now() > until) {
            kill(_pid, SIGKILL);
            waitpid(_pid, nullptr, 0);
            _status = 999;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return _status;
}

std::string Child::err() const {
    std::ifstream in(_errFile);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

namespace {

// Polls done every 10 ms until it holds or seconds passed.
template <typename Done>
bool waitUntil(Done done, double seconds) {
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace

bool Child::waitForErr(const std::string& text, double seconds) const {
    return waitUntil([&] { return err().find(text) != std::string::npos; }, seconds);
}

bool Child::waitForInputTaken(double seconds) const {
    // FIONREAD on either end of a pipe counts the bytes not read yet
    return waitUntil(
        [this] {
            int unread = 0;
            return _input >= 0 && ioctl(_input, FIONREAD, &unread) == 0 && unread == 0;
        },
        seconds);
}

} // namespace Tarvex::Test
