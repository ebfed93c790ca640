// A pipe whose ends close with the test.
#pragma once

#include <stdexcept>
#include <string>
#include <unistd.h>

namespace Orvanta::Event::Test {

class Pipe {
public:
    Pipe() {
        if (::pipe(_fds) != 0) throw std::runtime_error("pipe failed");
    }
    ~Pipe() {
        closeReader();
        closeWriter();
    }
    int reader() const { return _fds[0]; }
    int writer() const { return _fds[1]; }
    void write(const std::string& bytes) const {
        if (::write(_fds[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            throw std::runtime_error("write failed");
    }
    void closeReader() { close(0); }
    void closeWriter() { close(1); }

private:
    void close(int end) {
        if (_fds[end] >= 0) ::close(_fds[end]);
        _fds[end] = -1;
    }

    int _fds[2];
};

} // namespace Orvanta::Event::Test
