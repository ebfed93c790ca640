#include "dns/tests/namespace/namespace.h"

#include "testsupport/process.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <net/if.h>
#include <sched.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace Orvanta::Test {

namespace {

void loopbackUp() {
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket: " + std::string(std::strerror(errno)));
    ifreq request{};
    std::strcpy(request.ifr_name, "lo");
    int result = ioctl(fd, SIOCGIFFLAGS, &request);
    request.ifr_flags |= IFF_UP;
    if (result == 0) result = ioctl(fd, SIOCSIFFLAGS, &request);
    ::close(fd);
    if (result != 0) throw std::runtime_error("loopback: " + std::string(std::strerror(errno)));
}

} // namespace

bool enterNamespace(std::string& reason) {
    static int state = 0; // 0 not tried, 1 inside, 2 not root, 3 failed
    static std::string why;
    if (state == 0) {
        state = 3;
        if (geteuid() != 0) {
            why = "needs root for a private network namespace";
            state = 2;
        } else if (unshare(CLONE_NEWNET | CLONE_NEWNS) != 0) {
            // root should be able to: a failure, not a reason to skip
            why = "unshare: " + std::string(std::strerror(errno));
        } else if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            // never touch the host's mounts
            why = "private mounts: " + std::string(std::strerror(errno));
        } else {
            try {
                loopbackUp();
                state = 1;
            } catch (const std::runtime_error& error) {
                why = error.what();
            }
        }
    }
    if (state == 3) throw std::runtime_error(why);
    reason = why;
    return state == 1;
}

void overlay(const char* target, const std::string& text) {
    static int counter = 0;
    // one folder per process: a new scratch folder replaces the last one
    static const std::string folder = scratchDir("dns_namespace");
    std::string path = folder + "/overlay" + std::to_string(counter++);
    std::ofstream(path) << text;
    // a file mounted before is covered by the new one
    if (mount(path.c_str(), target, nullptr, MS_BIND, nullptr) != 0)
        throw std::runtime_error(std::string("bind mount over ") + target + ": " + std::strerror(errno));
}

Child::Child(const std::vector<std::string>& argv, const std::string& output) {
    _pid = fork();
    if (_pid < 0) throw std::runtime_error("fork failed");
    if (_pid == 0) {
        // gone with the test, even when the test crashes
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
}

Child::~Child() {
    ::kill(_pid, SIGTERM);
    int status;
    waitpid(_pid, &status, 0);
}

bool listening(const char* address) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(53);
        inet_pton(AF_INET, address, &to.sin_addr);
        int result = ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
        ::close(fd);
        if (result == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::vector<std::string> dnsmasq(const std::vector<std::string>& records) {
    std::vector<std::string> argv = {"/usr/sbin/dnsmasq",
                                     "--keep-in-foreground",
                                     "--conf-file=/dev/null",
                                     "--no-resolv",
                                     "--no-hosts",
                                     "--listen-address=127.0.0.1",
                                     "--bind-interfaces",
                                     "--port=53",
                                     "--pid-file=",
                                     "--user=root",
                                     "--log-facility=-"};
    argv.insert(argv.end(), records.begin(), records.end());
    return argv;
}

} // namespace Orvanta::Test
