#include "testsupport/process.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Orvanta::Test {

namespace {

struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() {
        if (::pipe2(fd, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    }
    ~Pipe() {
        for (int f : fd)
            if (f >= 0) ::close(f);
    }
    void close(int i) {
        if (fd[i] >= 0) ::close(fd[i]);
        fd[i] = -1;
    }
};

} // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input,
                         const std::vector<std::string>& extraEnv) {
    Pipe in, out, err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.fd[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out.fd[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err.fd[1], 2);

    std::vector<char*> args;
    for (auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> envStore;
    // an extra entry replaces an inherited one of the same name (the first
    // of two would win)
    auto named = [](const std::string& entry, const std::string& other) {
        size_t equals = other.find('=');
        return equals != std::string::npos && entry.compare(0, equals + 1, other, 0, equals + 1) == 0;
    };
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        bool replaced = false;
        for (auto& extra : extraEnv)
            replaced = replaced || named(entry, extra);
        if (!replaced) envStore.push_back(entry);
    }
    for (auto& e : extraEnv)
        envStore.push_back(e);
    std::vector<char*> env;
    for (auto& e : envStore)
        env.push_back(const_cast<char*>(e.c_str()));
    env.push_back(nullptr);

    pid_t pid;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
    in.close(0);
    out.close(1);
    err.close(1);

    // a child that stops reading must not kill the test with SIGPIPE
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);

    ProcessResult result;
    size_t written = 0;
    if (input.empty()) in.close(1);
    while (out.fd[0] >= 0 || err.fd[0] >= 0) {
        pollfd fds[3];
        int n = 0;
        if (in.fd[1] >= 0) fds[n++] = {in.fd[1], POLLOUT, 0};
        if (out.fd[0] >= 0) fds[n++] = {out.fd[0], POLLIN, 0};
        if (err.fd[0] >= 0) fds[n++] = {err.fd[0], POLLIN, 0};
        if (::poll(fds, n, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents) continue;
            if (fds[i].fd == in.fd[1]) {
                // a writable pipe takes PIPE_BUF bytes without blocking; a
                // larger write would block while the child waits for us to
                // read what it printed
                size_t chunk = std::min<size_t>(input.size() - written, PIPE_BUF);
                ssize_t w = ::write(in.fd[1], input.data() + written, chunk);
                if (w > 0) written += w;
                if (w < 0 || written == input.size()) in.close(1);
                continue;
            }
            char buffer[65536];
            ssize_t r = ::read(fds[i].fd, buffer, sizeof buffer);
            if (r <= 0) {
                if (r < 0 && errno == EINTR) continue;
                if (fds[i].fd == out.fd[0])
                    out.close(0);
                else
                    err.close(0);
                continue;
            }
            (fds[i].fd == out.fd[0] ? result.out : result.err).append(buffer, r);
        }
    }
    in.close(1);
    sigaction(SIGPIPE, &previous, nullptr);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

std::string scratchDir(const std::string& name) {
    std::string dir = std::string(ORVANTA_BINARY_DIR) + "/Testing/scratch";
    ::mkdir((std::string(ORVANTA_BINARY_DIR) + "/Testing").c_str(), 0755);
    ::mkdir(dir.c_str(), 0755);
    dir += "/" + name + "." + std::to_string(::getpid());
    runProcess({"rm", "-rf", dir});
    if (::mkdir(dir.c_str(), 0755) != 0) throw std::runtime_error("cannot make " + dir);
    return dir;
}

} // namespace Orvanta::Test
