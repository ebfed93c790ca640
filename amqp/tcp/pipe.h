// A pipe between the resolver thread and the event loop's thread: the one
// wakes the other with a byte.
#pragma once

namespace AMQP {

class Pipe {
public:
    // throws std::runtime_error with the system's text when no pipe is had
    Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe();

    // the end the woken thread watches
    int in() const { return _fds[0]; }

    // writes one byte; whether it was written
    bool notify();

private:
    int _fds[2];
};

} // namespace AMQP
